// Records the sessions of recorded_sessions.h: each is played against
// brisko-sim with a trace running, and the trace and what the tool showed are
// written under tests/replay/sessions/ as <name>.trace and <name>.expected.
// Run it again after a change that alters what goes over the line on purpose,
// and read the difference before committing it.
//
// Usage: brisko_record_sessions [name]...   (default: all)
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/sim_process.h"
#include "tests/replay/recorded_sessions.h"

namespace brisko {
namespace {

std::string Joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : " ") + (word.find(' ') == std::string::npos ? word : "'" + word + "'");
  return text;
}

bool Record(const RecordedSession& session) {
  std::vector<std::string> args = session.logger.Args();
  args.insert(args.end(), session.extraSimArgs.begin(), session.extraSimArgs.end());
  SimProcess sim(args);
  if (!sim.started()) {
    std::fprintf(stderr, "%s: the simulator did not start\n", session.name.c_str());
    return false;
  }
  const std::string base = SessionsDirectory() + "/" + session.name;
  std::vector<std::string> shown;
  {
    ToolUnderTest tool;
    std::string error;
    if (!tool.core().StartTrace(base + ".trace", error)) {
      std::fprintf(stderr, "%s: %s\n", session.name.c_str(), error.c_str());
      return false;
    }
    session.play(tool, sim.port(), shown);
    tool.core().ClosePort();
    tool.core().StopTrace();
  }
  // The session's name and how the simulator was started, after the first line.
  std::ifstream in(base + ".trace");
  std::string first;
  std::getline(in, first);
  std::stringstream rest;
  rest << in.rdbuf();
  in.close();
  std::ofstream trace(base + ".trace", std::ios::trunc);
  trace << first << "\n# session: " << session.name << ": " << session.about
        << "\n# recorded with: brisko-sim " << Joined(args) << "\n"
        << rest.str();
  std::ofstream expected(base + ".expected", std::ios::trunc);
  expected << "# " << session.name << ": " << session.about << "\n";
  for (const std::string& line : shown) expected << line << "\n";
  std::printf("%s: %zu steps\n", session.name.c_str(), shown.size());
  return true;
}

}  // namespace
}  // namespace brisko

int main(int argc, char** argv) {
  const std::vector<std::string> wanted(argv + 1, argv + argc);
  bool ok = true;
  for (const brisko::RecordedSession& session : brisko::recorded::Sessions()) {
    bool chosen = wanted.empty();
    for (const std::string& name : wanted) chosen = chosen || name == session.name;
    if (chosen) ok = brisko::Record(session) && ok;
  }
  return ok ? 0 : 1;
}
