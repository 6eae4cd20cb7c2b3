#include "ui/error_box.hpp"

#include <QMessageBox>
#include <utility>

#include "ui/display_text.hpp"

namespace helvanta {
namespace {

void ModalErrorBox(QWidget* parent, const std::string& text, const std::string& caption) {
  // Messages break their lines with CR LF; a Qt label wants LF alone.
  QString shown = ToDisplay(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox::critical(parent, ToDisplay(caption), shown, QMessageBox::Ok);
}

ErrorBoxFunction& CurrentBox() {
  static ErrorBoxFunction box = ModalErrorBox;
  return box;
}

}  // namespace

void SetErrorBox(ErrorBoxFunction box) { CurrentBox() = box ? std::move(box) : ErrorBoxFunction(ModalErrorBox); }

void ShowErrorBox(QWidget* parent, const std::string& text, const std::string& caption) {
  CurrentBox()(parent, text, caption);
}

std::string ErrorBoxText(std::string_view message) {
  std::string text(message);
  if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.')) {
    text += '.';
  }
  return text;
}

void ShowException(QWidget* parent, const std::exception_ptr& error) {
  std::string message;
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    message = e.what();
  } catch (...) {
    message = "Unknown error";
  }
  ShowErrorBox(parent, ErrorBoxText(message), std::string(kApplicationTitle));
}

}  // namespace helvanta
