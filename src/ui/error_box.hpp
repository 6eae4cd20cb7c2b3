#pragma once

#include <exception>
#include <functional>
#include <string>
#include <string_view>

class QWidget;

namespace helvanta {

inline constexpr std::string_view kApplicationTitle = "Helvanta 1.2 for Siemens SPN1000";

// Shows an error message box: text, caption, error icon, OK. Tests replace it so that
// they read the text instead of blocking on a modal box.
using ErrorBoxFunction = std::function<void(QWidget* parent, const std::string& text, const std::string& caption)>;
void SetErrorBox(ErrorBoxFunction box);
void ShowErrorBox(QWidget* parent, const std::string& text, const std::string& caption);

// The text of an escaped exception as the error box shows it: a full stop is added when
// the last character sorts after ".".
std::string ErrorBoxText(std::string_view message);

// Shows the current exception in the error box titled with the application title.
void ShowException(QWidget* parent, const std::exception_ptr& error);

// Runs a handler; an exception that escapes it goes to the error box and the program
// carries on.
template <typename Handler>
void RunGuarded(QWidget* parent, Handler&& handler) {
  try {
    handler();
  } catch (...) {
    ShowException(parent, std::current_exception());
  }
}

}  // namespace helvanta
