// Running the huewarp tool as a user does, one process per case, in a folder of its own that the
// fixture creates and removes.
#pragma once

#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char **environ;

namespace huewarp::test {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string err, out;
};

/// Runs `args` (the tool when `program` is empty) in `dir`, its output captured, with `extra_env`
/// ("NAME=value") added to the environment.
inline Outcome RunTool(const fs::path &dir, std::vector<std::string> args,
                       std::vector<std::string> extra_env = {}, std::string program = {}) {
  if (program.empty()) program = HUEWARP_TOOL_PATH;
  args.insert(args.begin(), program);
  std::vector<char *> argv;
  for (std::string &a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<char *> env;
  for (char **e = environ; *e; ++e) env.push_back(*e);
  for (std::string &e : extra_env) env.push_back(e.data());
  env.push_back(nullptr);
  const fs::path err_file = dir / "stderr.txt", out_file = dir / "stdout.txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  posix_spawn_file_actions_addopen(&actions, 2, err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 1, out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  pid_t pid = 0;
  Outcome outcome;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), env.data()) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  const std::pair<const fs::path *, std::string *> captured[] = {{&err_file, &outcome.err},
                                                                 {&out_file, &outcome.out}};
  for (const auto &[file, text] : captured) {
    std::ifstream in(*file);
    text->assign(std::istreambuf_iterator<char>(in), {});
    in.close();
    fs::remove(*file);
  }
  return outcome;
}

/// Starts the tool in `dir` with its errors discarded, without waiting: for tests that
/// interrupt it. Returns the process id, or 0 if it could not start.
inline pid_t StartTool(const fs::path &dir, std::vector<std::string> args) {
  args.insert(args.begin(), HUEWARP_TOOL_PATH);
  std::vector<char *> argv;
  for (std::string &a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = 0;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

/// The lines of a program's output.
inline std::vector<std::string> Lines(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

/// A failure as the tool reports one: status 1 and one line on stderr holding every part.
inline void ExpectOneLineFailure(const Outcome &r, const std::vector<std::string> &parts) {
  EXPECT_EQ(r.status, 1);
  const auto lines = Lines(r.err);
  ASSERT_EQ(lines.size(), 1u) << r.err;
  for (const std::string &part : parts) {
    EXPECT_NE(lines[0].find(part), std::string::npos) << "missing \"" << part << "\" in " << r.err;
  }
}

/// A fresh folder per test, removed afterwards.
class ToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char &c : name) {
      if (c == '/') c = '_';
    }
    dir_ = fs::temp_directory_path() / ("huewarp_cli_" + std::to_string(getpid()) + "_" + name);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  Outcome Huewarp(std::vector<std::string> args, std::vector<std::string> env = {}) {
    return RunTool(dir_, std::move(args), std::move(env));
  }
  fs::path Path(const std::string &name) const { return dir_ / name; }
  /// What the folder holds, in order; temporary files would show here.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(dir_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

}  // namespace huewarp::test
