// What ships beside korrin-cli against the program itself: every flag that
// "korrin-cli <subcommand> --help" lists is documented in its section of the man page and offered
// by the bash completion, neither names a flag or subcommand the program lacks, and the man pages
// render without a warning.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "run_process.h"

namespace korrin::test {
namespace {

const std::string kManPageSource = "packaging/korrin-cli.1.in";
const std::string kCompletionSource = "packaging/korrin-cli.bash";

using Flags = std::set<std::string>;
using FlagTable = std::map<std::string, Flags>;  // "settings show" -> its flags

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  EXPECT_TRUE(in) << "cannot read " << path;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct ShellResult {
  int status;
  std::string out;
};

ShellResult Shell(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {-1, "cannot run " + command};
  std::string out;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

// The first words of the entries of a "Title:" block of CLI help, up to the empty line after it.
std::vector<std::string> HelpEntries(const std::string& help, const std::string& title, const std::regex& entry) {
  std::vector<std::string> entries;
  bool inside = false;
  for (const std::string& line : Lines(help)) {
    if (line == title) inside = true;
    else if (inside && line.empty()) break;
    else if (std::smatch m; inside && std::regex_search(line, m, entry)) entries.push_back(m[1]);
  }
  return entries;
}

// Every subcommand of korrin-cli and its flags, from its own --help.
FlagTable ProgramFlags() {
  FlagTable table;
  std::vector<std::string> pending{""};
  while (!pending.empty()) {
    const std::string path = pending.back();
    pending.pop_back();
    std::vector<std::string> args = Words(path);
    args.push_back("--help");
    const ProcessResult help = RunCli(args);
    EXPECT_EQ(help.status, 0) << "korrin-cli " << path << " --help";
    if (!path.empty()) {
      Flags& flags = table[path];
      for (const std::string& flag : HelpEntries(help.out, "Options:", std::regex(R"(^\s+(?:-\w,)?(--[\w-]+))")))
        flags.insert(flag);
    }
    for (const std::string& sub : HelpEntries(help.out, "Subcommands:", std::regex(R"(^\s+([a-z][\w-]*)\s)")))
      pending.push_back(path.empty() ? sub : path + " " + sub);
  }
  return table;
}

// The flags of the man page: the first flag of each item (.TP) of a subcommand's section (.SS)
// under SUBCOMMANDS; a section is named by the leading words of its heading.
FlagTable ManPageFlags(const std::string& page) {
  FlagTable table;
  const std::regex flag(R"(\\-\\-([a-z0-9]+(?:\\-[a-z0-9]+)*))");
  bool subcommands = false, item = false;
  std::string section;
  for (const std::string& line : Lines(page)) {
    if (line.starts_with(".SH")) {
      subcommands = line == ".SH SUBCOMMANDS";
      section.clear();
    } else if (subcommands && line.starts_with(".SS")) {
      section.clear();
      const std::string heading = std::regex_replace(line.substr(3), std::regex("\""), "");
      for (const std::string& word : Words(std::regex_replace(heading, std::regex(R"(\\-)"), "-"))) {
        if (!std::regex_match(word, std::regex("[a-z][a-z-]*"))) break;
        section += (section.empty() ? "" : " ") + word;
      }
      table[section];
    } else if (!section.empty() && item) {
      if (std::smatch m; std::regex_search(line, m, flag))
        table[section].insert("--" + std::regex_replace(m[1].str(), std::regex(R"(\\-)"), "-"));
    }
    item = line == ".TP";
  }
  return table;
}

// What the bash completion offers after "korrin-cli <path> <current>", one run of bash for all.
std::map<std::string, Flags> Completions(const std::vector<std::pair<std::string, std::string>>& cases) {
  std::string script =
      "source /usr/share/bash-completion/bash_completion\n"
      "source " KORRIN_SOURCE_DIR "/" +
      kCompletionSource +
      "\n"
      "t() { COMP_WORDS=(korrin-cli \"$@\"); COMP_CWORD=$#; COMP_LINE=\"korrin-cli $*\"; COMP_POINT=${#COMP_LINE};"
      " COMPREPLY=(); _korrin_cli; echo \"$* => ${COMPREPLY[*]}\"; }\n";
  for (const auto& [path, current] : cases) script += "t " + path + " '" + current + "'\n";
  const std::string file = testing::TempDir() + "completion_test.sh";
  std::ofstream(file) << script;
  const ShellResult run = Shell("bash " + file + " 2>&1");
  EXPECT_EQ(run.status, 0) << run.out;
  std::map<std::string, Flags> offered;
  for (const std::string& line : Lines(run.out)) {
    const size_t arrow = line.find(" => ");
    if (arrow == std::string::npos) continue;
    for (const std::string& word : Words(line.substr(arrow + 4))) offered[line.substr(0, arrow)].insert(word);
  }
  return offered;
}

std::string Joined(const std::vector<std::string>& words) {
  std::string text;
  for (const auto& w : words) text += (text.empty() ? "" : " ") + w;
  return text;
}

TEST(Packaging, TheManPageDocumentsExactlyTheFlagsOfEverySubcommand) {
  const FlagTable program = ProgramFlags();
  ASSERT_TRUE(program.contains("generate"));
  const FlagTable man = ManPageFlags(ReadFile(KORRIN_SOURCE_DIR "/" + kManPageSource));
  for (const auto& [path, flags] : program) {
    Flags documented = flags;
    documented.erase("--help");  // once, under OPTIONS
    const bool hasSubcommands =
        std::any_of(program.begin(), program.end(), [&](const auto& e) { return e.first.starts_with(path + " "); });
    const auto section = man.find(path);
    if (section == man.end()) {
      if (!documented.empty() || !hasSubcommands)
        ADD_FAILURE() << "korrin-cli has the subcommand \"" << path << "\", but " << kManPageSource
                      << " has no section (.SS \"" << path << " ...\") under SUBCOMMANDS for it";
      continue;
    }
    for (const std::string& flag : documented)
      if (!section->second.contains(flag))
        ADD_FAILURE() << "korrin-cli " << path << " --help lists " << flag << ", but " << kManPageSource
                      << " has no item (.TP) for it in the \"" << path << "\" section";
    for (const std::string& flag : section->second)
      if (!flags.contains(flag))
        ADD_FAILURE() << kManPageSource << " documents " << flag << " in the \"" << path
                      << "\" section, but korrin-cli " << path << " --help does not list it";
  }
  for (const auto& [path, flags] : man)
    if (!program.contains(path))
      ADD_FAILURE() << kManPageSource << " has a section for \"" << path << "\", which is no subcommand of korrin-cli";
}

TEST(Packaging, TheBashCompletionOffersExactlyTheSubcommandsAndFlags) {
  const FlagTable program = ProgramFlags();
  std::vector<std::pair<std::string, std::string>> cases{{"", ""}};
  std::map<std::string, Flags> subcommands{{"", {}}};
  for (const auto& [path, flags] : program) {
    cases.emplace_back(path, "--");
    std::vector<std::string> words = Words(path);
    const std::string last = words.back();
    words.pop_back();
    subcommands[Joined(words)].insert(last);
  }
  for (const auto& [parent, subs] : subcommands)
    if (!parent.empty()) cases.emplace_back(parent, "");
  const std::map<std::string, Flags> offered = Completions(cases);

  for (const auto& [parent, subs] : subcommands) {
    const std::string after = parent.empty() ? "" : parent + " ";
    const Flags& got = offered.count(after) ? offered.at(after) : Flags{};
    for (const std::string& sub : subs)
      if (!got.contains(sub))
        ADD_FAILURE() << kCompletionSource << " does not offer the subcommand \"" << sub << "\" after \"korrin-cli "
                      << after << "\"";
    for (const std::string& sub : got)
      if (!subs.contains(sub))
        ADD_FAILURE() << kCompletionSource << " offers \"" << sub << "\" after \"korrin-cli " << after
                      << "\", which is no subcommand there";
  }
  for (const auto& [path, flags] : program) {
    const std::string key = path + " --";
    const Flags& got = offered.count(key) ? offered.at(key) : Flags{};
    for (const std::string& flag : flags)
      if (!got.contains(flag))
        ADD_FAILURE() << "korrin-cli " << path << " --help lists " << flag << ", but " << kCompletionSource
                      << " does not offer it (add it to the flags= list of \"" << path << "\")";
    for (const std::string& flag : got)
      if (!flags.contains(flag))
        ADD_FAILURE() << kCompletionSource << " offers " << flag << " for \"" << path << "\", but korrin-cli " << path
                      << " --help does not list it";
  }
}

TEST(Packaging, TheManPagesRenderWithoutWarningsAndCarryTheProgramsVersion) {
  const std::string version = KORRIN_VERSION_FOR_TEST;
  EXPECT_EQ(RunCli({"--version"}).out, "korrin-cli " + version + "\n");
  std::vector<std::string> pages{"korrin-cli.1"};
  if (KORRIN_GUI_FOR_TEST) pages.push_back("korrin.1");
  for (const std::string& page : pages) {
    const std::string path = std::string(KORRIN_MAN_DIR) + "/" + page;
    EXPECT_NE(ReadFile(path).find("\"korrin " + version + "\""), std::string::npos) << page << " names no version";
    const ShellResult rendered = Shell("MANWIDTH=80 man --warnings -l " + path + " 2>&1 >/dev/null");
    EXPECT_EQ(rendered.status, 0) << page;
    EXPECT_EQ(rendered.out, "") << page;
  }
}

}  // namespace
}  // namespace korrin::test
