#include "config/section_page_qt.hpp"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

#include "config/ini_file.hpp"
#include "config/ini_text.hpp"
#include "config/language.hpp"
#include "config/settings.hpp"
#include "ui/display_text.hpp"

namespace helvanta {

namespace {

std::string Translated(const TLanguageList& list, std::string_view key) {
  const std::string text = list.LookupText(key);
  return text.empty() ? std::string(BuiltinText(key)) : text;
}

}  // namespace

TSectionPage::TSectionPage(const TLanguageList& languageList, TSectionPageLayout layout, QWidget* parent)
    : QGroupBox(ToDisplay(Translated(languageList, layout.titleKey)), parent), layout_(std::move(layout)) {
  const QString section = QString::fromUtf8(layout_.section.data(), static_cast<qsizetype>(layout_.section.size()));
  setObjectName(section + QStringLiteral("Page"));
  auto* form = new QFormLayout(this);
  for (const TSectionField& field : layout_.fields) {
    QWidget* editor = nullptr;
    if (field.kind == TSectionField::Kind::kFlag) {
      Flags.push_back(new QCheckBox(this));
      Edits.push_back(nullptr);
      editor = Flags.back();
    } else {
      Edits.push_back(new QLineEdit(this));
      Flags.push_back(nullptr);
      if (field.kind == TSectionField::Kind::kSecret) Edits.back()->setEchoMode(QLineEdit::Password);
      editor = Edits.back();
    }
    editor->setObjectName(section + QString::fromLatin1(field.key));
    if (!field.hintKey.empty()) editor->setToolTip(ToDisplay(Translated(languageList, field.hintKey)));
    auto* label = new QLabel(ToDisplay(Translated(languageList, field.labelKey)), this);
    label->setBuddy(editor);
    form->addRow(label, editor);
  }
}

void TSectionPage::Fill() {
  const IniFile ini(SettingsFilePath());
  const bool defaults = !layout_.defaultsNeedSection || ini.HasSection(layout_.section);
  shown_.clear();
  for (std::size_t i = 0; i < layout_.fields.size(); ++i) {
    const TSectionField& field = layout_.fields[i];
    std::string value = ini.ReadString(layout_.section, field.key, defaults ? field.defaultValue : "");
    if (Flags[i] != nullptr) {
      const std::optional<std::int32_t> number = ParseIniInteger(value);
      const bool on = number ? *number != 0 : std::string_view(field.defaultValue) == "1";
      Flags[i]->setChecked(on);
      // A flag shows on or off, so what it showed is stored as such.
      value = std::string(on ? "1" : "0");
    } else {
      Edits[i]->setText(ToDisplay(value));
    }
    shown_.push_back(std::move(value));
  }
}

std::vector<std::string> TSectionPage::Entered() const {
  std::vector<std::string> entered;
  for (std::size_t i = 0; i < layout_.fields.size(); ++i) {
    if (Flags[i] != nullptr) {
      entered.push_back(Flags[i]->isChecked() ? "1" : "0");
    } else {
      entered.push_back(FromDisplay(Edits[i]->text(), shown_[i]));
    }
  }
  return entered;
}

std::string TSectionPage::Problem() const {
  const std::vector<std::string> entered = Entered();
  for (std::size_t i = 0; i < layout_.fields.size(); ++i) {
    const TSectionField& field = layout_.fields[i];
    if (entered[i] == shown_[i]) continue;
    const bool usable = entered[i].empty() || field.valid == nullptr || field.valid(entered[i]);
    if (!usable || !IsWritableIniEntry(layout_.section, field.key, entered[i])) {
      std::string entry = "[";
      entry.append(layout_.section).append("] ").append(field.key).append("=").append(entered[i]);
      return entry;
    }
  }
  return {};
}

bool TSectionPage::Save() const {
  const std::vector<std::string> entered = Entered();
  // As with the other keys: nothing is written unless every changed entry can be stored.
  if (!Problem().empty()) return false;
  IniFile ini(SettingsFilePath());
  for (std::size_t i = 0; i < layout_.fields.size(); ++i) {
    if (entered[i] != shown_[i] && !ini.WriteString(layout_.section, layout_.fields[i].key, entered[i])) return false;
  }
  return true;
}

}  // namespace helvanta
