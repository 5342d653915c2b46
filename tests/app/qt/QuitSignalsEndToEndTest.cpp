// SPDX-License-Identifier: GPL-3.0-or-later
// flowdesk ended with SIGTERM as the operator's session ends it: the real
// program, started offscreen with its virtual unit, saves its settings, ends
// its unit and exits as after Exit.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <cstring>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace flowdesk {
namespace {

// The real program, started offscreen with its virtual unit in a private
// settings folder; standard error comes back through a pipe.
class RunningFlowdesk {
 public:
  RunningFlowdesk(const QString& home, std::vector<std::string> args) {
    std::map<std::string, std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
      const std::string entry = *e;
      const auto eq = entry.find('=');
      if (eq != std::string::npos) env[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    env["QT_QPA_PLATFORM"] = "offscreen";
    env["XDG_CONFIG_HOME"] = (home + "/config").toStdString();
    env["XDG_DATA_HOME"] = (home + "/data").toStdString();
    env["HOME"] = home.toStdString();
    env.erase("FLOWDESK_TRACE");
    // Built before fork: the child of a threaded process may only exec.
    std::vector<std::string> envText;
    for (const auto& [name, value] : env) envText.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = FLOWDESK_BIN;
    std::vector<char*> argv{program.data()};
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    int err[2];
    if (::pipe2(err, O_CLOEXEC) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(err[1], 2);
      ::execve(program.c_str(), argv.data(), envp.data());
      ::_exit(127);
    }
    ::close(err[1]);
    err_ = err[0];
  }
  ~RunningFlowdesk() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (err_ >= 0) ::close(err_);
  }
  RunningFlowdesk(const RunningFlowdesk&) = delete;
  RunningFlowdesk& operator=(const RunningFlowdesk&) = delete;

  pid_t pid() const { return pid_; }
  const std::string& errorText() const { return errorText_; }

  // Reads standard error until it holds `text` (true), or until it closes
  // or the deadline passes (false).
  bool waitForError(const std::string& text, const QDeadlineTimer& deadline) {
    while (errorText_.find(text) == std::string::npos) {
      if (!readSome(deadline)) return false;
    }
    return true;
  }

  // Reads standard error until every writer has closed it (the program and
  // the unit it started are gone), then the program's exit status; -1 when
  // it was killed or the deadline passed first.
  int waitForEnd(const QDeadlineTimer& deadline) {
    while (readSome(deadline)) {
    }
    const QDeadlineTimer reap(deadline.remainingTime() > 0 ? deadline : QDeadlineTimer(1000));
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
      if (reap.hasExpired()) return -1;
      ::poll(nullptr, 0, 10);
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  bool readSome(const QDeadlineTimer& deadline) {
    if (err_ < 0 || deadline.hasExpired()) return false;
    pollfd p{err_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(qMax<qint64>(1, deadline.remainingTime()))) <= 0) {
      return false;
    }
    char buffer[512];
    const ssize_t n = ::read(err_, buffer, sizeof buffer);
    if (n <= 0) return false;
    errorText_.append(buffer, static_cast<std::size_t>(n));
    return true;
  }

  pid_t pid_ = -1;
  int err_ = -1;
  std::string errorText_;
};

// The child processes of `parent`, read from /proc.
std::vector<pid_t> childrenOf(pid_t parent) {
  std::vector<pid_t> children;
  for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
    bool number = false;
    const pid_t pid = entry.toInt(&number);
    if (!number) continue;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) continue;
    // "pid (name) state ppid ...": the name may hold blanks, the rest not.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> after = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (after.size() > 1 && after[1].toInt() == parent) children.push_back(pid);
  }
  return children;
}

bool gone(pid_t pid) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return true;
  const QByteArray line = stat.readAll();
  return line.mid(line.lastIndexOf(')') + 2, 1) == "Z";  // ended, not yet reaped
}

TEST(QuitSignals, TerminatedFlowdeskSavesItsSettingsAndEndsItsUnit) {
  QTemporaryDir home;
  ASSERT_TRUE(home.isValid());
  // A catalogue in the settings: not a first run, so no data folder is made
  // beside the program.
  ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("config/flowdesk")));
  const QString settingsPath = home.filePath(QStringLiteral("config/flowdesk/flowdesk.ini"));
  {
    QFile settings(settingsPath);
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[Probe]\n0=Mine\n");
  }

  RunningFlowdesk flowdesk(home.path(), {"--virtual-unit"});
  ASSERT_GT(flowdesk.pid(), 0);
  const QDeadlineTimer deadline(60000);
  ASSERT_TRUE(flowdesk.waitForError("virtual unit on ", deadline)) << flowdesk.errorText();
  ASSERT_TRUE(flowdesk.waitForError(" (Com1)\n", deadline)) << flowdesk.errorText();
  const std::string& text = flowdesk.errorText();
  const auto from = text.find("virtual unit on ") + std::strlen("virtual unit on ");
  const QString device = QString::fromStdString(text.substr(from, text.find(" (Com1)") - from));
  EXPECT_TRUE(QFileInfo::exists(device)) << device.toStdString();
  const std::vector<pid_t> units = childrenOf(flowdesk.pid());
  ASSERT_EQ(units.size(), 1u) << "the virtual unit";

  ASSERT_EQ(::kill(flowdesk.pid(), SIGTERM), 0);
  EXPECT_EQ(flowdesk.waitForEnd(deadline), 0) << flowdesk.errorText();

  QFile settings(settingsPath);
  ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
  const QByteArray saved = settings.readAll();
  EXPECT_TRUE(saved.contains("\nBauds=5\n")) << "the settings were saved:\n" << saved.toStdString();
  EXPECT_TRUE(saved.contains("\n0=Mine\n")) << saved.toStdString();
  EXPECT_TRUE(gone(units.front())) << "the virtual unit ended";
  EXPECT_FALSE(QFileInfo::exists(device)) << device.toStdString();
}

}  // namespace
}  // namespace flowdesk
