// The four commands behind RunCommand, each given its parsed options.
// Each returns its exit code; none throws except std::bad_alloc.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cmd/cmd_app.h"

namespace trellup::cmd {

struct Output {
    std::ostream& out;
    std::ostream& err;
    bool json = false;
};

int ListCommand(ICmdEnv& env, const Output& o);

int ExportCommand(ICmdEnv& env, const Output& o, const std::string& file, const std::vector<std::string>& devices);

struct ImportArgs {
    std::string file;
    std::string dll_path;  // UTF-8; empty: the program's folder
    bool replace = false;
    bool dry_run = false;
    bool all_or_nothing = false;
};
int ImportCommand(ICmdEnv& env, const Output& o, const ImportArgs& a);

struct CheckArgs {
    std::vector<std::string> names;  // UTF-8
    bool all = false;
    bool fire = false;
};
int CheckCommand(ICmdEnv& env, const Output& o, const CheckArgs& a);

}  // namespace trellup::cmd
