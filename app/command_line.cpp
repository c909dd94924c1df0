#include "app/command_line.h"

#include <algorithm>

#include <CLI/CLI.hpp>

#include "brisko_version.h"

namespace brisko {

namespace {

// What the parser fills in before the command is worked out from it.
struct Options {
  bool listPorts = false;
  bool show = false;
  bool deleteFlights = false;
  bool diagnostics = false;
  int port = 0;
};

void AddOptions(CLI::App& app, Options& options, CommandLine& line) {
  app.add_flag("--list-ports", options.listPorts, "List the ports that can be opened, one number a line");
  app.add_option("--port", options.port, "The port number N of COMN (default: the one saved in BRISKO.INI)")
      ->check(CLI::Range(1, 255));
  app.add_flag("--show", options.show, "Identify the logger and print everything it reports");
  app.add_option("--apply", line.profileFile, "Write a profile (.json) or plane file (.xcp) into the logger");
  app.add_option("--set", line.settings, "Write one setting, KEY=VALUE (repeatable; with --apply: over the file)")
      ->allow_extra_args(false);
  app.add_flag("--delete-flights", options.deleteFlights, "Delete all flights, after a question on the terminal");
  app.add_flag("--yes", line.yes, "Answer the deletion question with yes (for scripts)");
  app.add_flag("--json", line.json, "Print JSON instead of text");
  app.add_flag("--diagnostics", options.diagnostics,
               "Print a report of this system, its ports and their adapters, for whoever helps");
  app.add_option("--trace", line.traceFile,
                 "Write every byte to and from the logger, with port events, into FILE (holds the pilot's texts)")
      ->option_text("FILE");
}

}  // namespace

std::optional<int> ParseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::ostream& out,
                                    std::ostream& err) {
  CLI::App app{std::string(kApplicationName) + " " + kApplicationVersion +
                   ": configures a glider's GPS flight recorder; without a command the window opens",
               kApplicationName};
  app.set_version_flag("--version", std::string(kApplicationVersion));
  Options options;
  AddOptions(app, options, line);
  std::vector<std::string> reversed(args.rbegin(), args.rend());  // CLI11 takes them last first
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error, out, err);
    return status == 0 ? kExitDone : kExitUsage;
  }

  const bool apply = !line.profileFile.empty() || !line.settings.empty();
  const int commands = int{options.listPorts} + int{options.show} + int{apply} + int{options.deleteFlights} +
                       int{options.diagnostics};
  auto usage = [&](const std::string& message) {
    err << kApplicationName << ": " << message << "\nRun with --help for more information.\n";
    return kExitUsage;
  };
  if (commands > 1) return usage("give one of --list-ports, --show, --apply/--set, --delete-flights, --diagnostics");
  if (line.yes && !options.deleteFlights) return usage("--yes goes with --delete-flights");
  if (commands == 0 && (options.port != 0 || line.json)) {
    return usage("--port and --json go with --show, --apply/--set or --delete-flights");
  }
  if ((options.listPorts || options.diagnostics) && options.port != 0) {
    return usage(std::string(options.listPorts ? "--list-ports" : "--diagnostics") +
                 " covers every port; leave out --port");
  }
  if (options.diagnostics && line.json) return usage("--diagnostics prints text only; leave out --json");
  line.port = options.port;
  line.command = options.listPorts ? Command::ListPorts
                 : options.show    ? Command::Show
                 : apply           ? Command::Apply
                 : options.deleteFlights ? Command::DeleteFlights
                 : options.diagnostics   ? Command::Diagnostics
                                         : Command::Window;
  return std::nullopt;
}

}  // namespace brisko
