#include "ui/window_application.hpp"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace helvanta {

namespace {

struct THeldMessage {
  QtMsgType type;
  std::string category;
  std::string file;
  std::string function;
  int line;
  QString text;
};

// Only set while QApplication is being constructed, on the main thread.
std::vector<THeldMessage>* gHeldMessages = nullptr;

bool IsSet(const char* value) { return value != nullptr && *value != '\0'; }

void HoldMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg) {
    const std::string line =
        NoDisplayText(std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"));
    std::fprintf(stderr, "%s\n", line.c_str());
    // Qt would abort once this returns; nothing of the window exists yet to clean up.
    std::_Exit(1);
  }
  gHeldMessages->push_back({type, context.category != nullptr ? context.category : "",
                            context.file != nullptr ? context.file : "",
                            context.function != nullptr ? context.function : "", context.line, text});
}

}  // namespace

std::string NoDisplayText(const char* platform, const char* x11Display, const char* waylandDisplay) {
  std::string reason;
  if (IsSet(platform)) {
    reason = std::string("the Qt platform \"") + platform + "\" did not start";
  } else if (!IsSet(x11Display) && !IsSet(waylandDisplay)) {
    reason = "no display (neither DISPLAY nor WAYLAND_DISPLAY is set)";
  } else {
    reason = "the display cannot be reached (";
    if (IsSet(x11Display)) reason += std::string("DISPLAY=") + x11Display;
    if (IsSet(x11Display) && IsSet(waylandDisplay)) reason += ", ";
    if (IsSet(waylandDisplay)) reason += std::string("WAYLAND_DISPLAY=") + waylandDisplay;
    reason += ")";
  }
  return "helvanta: cannot open the window: " + reason + "; start it with -service to run without one.";
}

std::unique_ptr<QApplication> StartWindowApplication(int& argc, char** argv) {
  std::vector<THeldMessage> held;
  gHeldMessages = &held;
  const QtMessageHandler previous = qInstallMessageHandler(HoldMessage);
  auto application = std::make_unique<QApplication>(argc, argv);
  qInstallMessageHandler(previous);
  gHeldMessages = nullptr;
  for (const THeldMessage& message : held) {
    const QMessageLogContext context(message.file.c_str(), message.line, message.function.c_str(),
                                     message.category.c_str());
    previous(message.type, context, message.text);
  }
  return application;
}

}  // namespace helvanta
