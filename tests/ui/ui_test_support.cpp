#include "ui_test_support.hpp"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <filesystem>

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
  std::filesystem::create_directory(File("Data"));
  SetProgramFolder(Path());
}

ErrorBoxCapture::ErrorBoxCapture() {
  SetErrorBox([this](QWidget*, const std::string& text, const std::string& caption) {
    texts.push_back(text);
    captions.push_back(caption);
  });
}

ErrorBoxCapture::~ErrorBoxCapture() { SetErrorBox(nullptr); }

ClockScope::ClockScope(const DateTime& start) : clock(start) { SetProgramClock(&clock); }

ClockScope::~ClockScope() { SetProgramClock(nullptr); }

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
