# Entry points for a fresh Debian machine (run as root, or with sudo).
#   make test   install what is missing, build all four trees, run every suite
#   make demo   install what is missing, build, run the demo under Wine
#   make release  build the zip and the Windows Installer package of both
#                 architectures into build/release/
#   make bench  run the benchmark programs under Wine (figures, no asserts)
#   make fleet  the simulated fleet: twenty terminals provisioned by the
#               installer package and checked (FLEET_TERMINALS, FLEET_ARCH)
#   make soak   the long run of Kestrix through a control object (SOAK_ARGS="--minutes 60")
.PHONY: test demo deps build bench release soak fleet

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

fleet: deps
	@scripts/fleet.sh

soak: deps
	@scripts/soak.sh $(SOAK_ARGS)
