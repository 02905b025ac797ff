# Entry points for a fresh Debian machine (run as root, or with sudo).
#   make test   install what is missing, build all four trees, run every suite
#   make demo   install what is missing, build, run the demo under Wine
#   make release  build the zip and the Windows Installer package of both
#                 architectures into build/release/
#   make bench  run the benchmark programs under Wine (figures, no asserts)
.PHONY: test demo deps build bench release

deps:
	@scripts/install-deps.sh

build: deps
	@scripts/build.sh

test: deps
	@scripts/run-tests.sh

demo: deps
	@scripts/demo.sh

release: deps
	@scripts/release.sh

bench: deps
	@scripts/bench.sh
