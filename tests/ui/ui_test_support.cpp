#include "ui_test_support.hpp"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "config/settings.hpp"
#include "config/settings_dialog_qt.hpp"
#include "runtime/program_folder.hpp"
#include "runtime/sync_queue.hpp"
#include "ui/error_box.hpp"
#include "ui/form_about.hpp"
#include "ui/form_main.hpp"

namespace helvanta {
namespace {

// One QApplication for the whole test program, on the thread that runs the tests.
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    MainSyncQueue().BindToCurrentThread();
    app_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "ui_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

TempProgramFolder::TempProgramFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "helvanta-ui-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  path_ = pattern + "/";
  // The default output folder exists, as an installation has it.
  std::filesystem::create_directory(path_ + "Data");
  SetProgramFolder(path_);
}

TempProgramFolder::~TempProgramFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void TempProgramFolder::WriteFile(const std::string& name, const std::string& content) const {
  std::ofstream out(path_ + name, std::ios::binary);
  out << content;
}

std::string TempProgramFolder::ReadFile(const std::string& name) const {
  std::ifstream in(path_ + name, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool TempProgramFolder::Exists(const std::string& name) const { return std::filesystem::exists(path_ + name); }

ErrorBoxCapture::ErrorBoxCapture() {
  SetErrorBox([this](QWidget*, const std::string& text, const std::string& caption) {
    texts.push_back(text);
    captions.push_back(caption);
  });
}

ErrorBoxCapture::~ErrorBoxCapture() { SetErrorBox(nullptr); }

ClockScope::ClockScope(const DateTime& start) : clock(start) { SetProgramClock(&clock); }

ClockScope::~ClockScope() { SetProgramClock(nullptr); }

Pty::Pty() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
    throw std::runtime_error("no pseudo-terminal");
  }
  slavePath_ = ptsname(master_);
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

Pty::~Pty() { close(master_); }

std::string Pty::Drain() {
  std::string received;
  char buffer[256];
  for (;;) {
    const ssize_t n = read(master_, buffer, sizeof buffer);
    if (n <= 0) {
      break;
    }
    received.append(buffer, static_cast<std::size_t>(n));
  }
  return received;
}

WindowSet::WindowSet() {
  AppSettings = TAppSettings{};  // as at program load
  main = std::make_unique<TFormMain>();
  main->Timer1->stop();  // the tests drive the ticks themselves
  settings = std::make_unique<TFormSettings>(main->LanguageList, main.get());
  about = std::make_unique<TFormAbout>(main.get());
  main->SetDialogs(settings.get(), about.get());
}

WindowSet::~WindowSet() {
  main->SetDialogs(nullptr, nullptr);
  about.reset();
  settings.reset();
  main.reset();
}

DateTime At(int year, int month, int day, int hour, int minute, int second, int millisecond) {
  return DateTime{year, month, day, hour, minute, second, millisecond};
}

void ProcessEvents(int milliseconds) {
  WaitUntil([] { return false; }, milliseconds);
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer elapsed;
  elapsed.start();
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done() || elapsed.elapsed() >= timeoutMs) {
      loop.quit();
    }
  });
  poll.start(2);
  QCoreApplication::processEvents();
  if (!done()) {
    loop.exec();
  }
  return done();
}

}  // namespace helvanta
