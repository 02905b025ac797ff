// The command line, parsed with CLI11: one subcommand, each with --help.
#include "cmd/cmd_app.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <ostream>

#include "cmd/cmd_commands.h"

namespace trellup::cmd {

int RunCommand(const std::vector<std::string>& args, ICmdEnv& env, std::ostream& out, std::ostream& err) {
    CLI::App app{"Lists, exports, imports and checks the OPOS cash drawer device entries of this terminal.",
                 "TrellupCmd"};
    app.require_subcommand(1, 1);
    app.footer(
        "Exit codes: 0 success, 1 some entries refused or some drawers failing,\n"
        "2 bad usage or unreadable file, 3 no rights to write HKLM.");

    bool json = false;
    auto* list = app.add_subcommand("list",
                                    "Lists every OPOS class and device entry: class, name, the service "
                                    "object's ProgID; for cash drawers the values of the record.");
    list->add_flag("--json", json, "Write JSON instead of plain text");

    std::string export_file;
    std::vector<std::string> export_devices;
    auto* exp = app.add_subcommand("export", "Writes cash drawer entries to a provisioning file (UTF-8 JSON).");
    exp->add_option("FILE", export_file, "The provisioning file to write")->required();
    exp->add_option("--device", export_devices, "Only this device (repeatable); default: every cash drawer");

    ImportArgs imp_args;
    auto* imp = app.add_subcommand("import", "Validates a provisioning file, then writes its cash drawer entries.");
    imp->add_option("FILE", imp_args.file, "The provisioning file to read")->required();
    imp->add_flag("--replace", imp_args.replace, "Change existing entries that hold other values");
    imp->add_flag("--dry-run", imp_args.dry_run, "Report what would be done; write nothing");
    imp->add_option("--dllpath", imp_args.dll_path,
                    "Folder of the port library WinIo32.dll for the entries' DllPath; default: this program's "
                    "folder");
    imp->add_flag("--all-or-nothing", imp_args.all_or_nothing,
                  "Write no entry when one is refused, and undo the written ones when one cannot be written");
    imp->add_flag("--json", json, "Write one JSON object a line");

    CheckArgs check_args;
    auto* chk = app.add_subcommand("check", "Checks drawers' health through the OPOS cash drawer control object.");
    auto* names = chk->add_option("NAME", check_args.names, "Devices to check");
    auto* all = chk->add_flag("--all", check_args.all, "Check every cash drawer device");
    names->excludes(all);
    chk->add_flag("--fire", check_args.fire,
                  "CheckHealth(2): fires the drawer (default CheckHealth(1): it stays shut)");
    chk->add_flag("--json", json, "Write one JSON object a line");

    // CLI11 takes a vector of arguments last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e, out, err);
    } catch (const CLI::ParseError& e) {
        app.exit(e, out, err);
        return kExitUsage;
    }

    const Output o{out, err, json};
    if (list->parsed()) return ListCommand(env, o);
    if (exp->parsed()) return ExportCommand(env, o, export_file, export_devices);
    if (imp->parsed()) return ImportCommand(env, o, imp_args);
    if (!check_args.all && check_args.names.empty()) {
        err << "check: name the devices to check, or give --all\n";
        return kExitUsage;
    }
    return CheckCommand(env, o, check_args);
}

}  // namespace trellup::cmd
