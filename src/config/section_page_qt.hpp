#pragma once

#include <QGroupBox>
#include <string>
#include <string_view>
#include <vector>

class QCheckBox;
class QLineEdit;

namespace helvanta {

class TLanguageList;

// One key of a settings section as the dialog shows it.
struct TSectionField {
  enum class Kind { kText, kSecret, kFlag };
  const char* key;            // the settings key, also part of the edit's object name
  std::string_view labelKey;  // its label's text key
  Kind kind = Kind::kText;
  // Shown when the key is missing: what the program then uses ("1"/"0" for a flag).
  const char* defaultValue = "";
  std::string_view hintKey{};  // a tool tip; none when empty
  // Whether a value the user entered can be used; every value can when null. An empty
  // value always can: it stands for the key's default, or for "off".
  bool (*valid)(std::string_view value) = nullptr;
};

// A section of the settings file on a page of the dialog.
struct TSectionPageLayout {
  std::string_view section;   // "History"
  std::string_view titleKey;  // the page's caption
  // Whether the defaults hold only once the section is there (the web page is off
  // without its section, and its Listen key then shows empty).
  bool defaultsNeedSection = false;
  std::vector<TSectionField> fields;
};

// The settings dialog's page of one section. Like the rest of the dialog it keeps
// nothing of its own: Fill reads the section, Save writes the keys the user changed.
class TSectionPage : public QGroupBox {
 public:
  TSectionPage(const TLanguageList& languageList, TSectionPageLayout layout, QWidget* parent);

  void Fill();
  // "[Section] Key=value" of the first entry that cannot be used or stored, or "".
  std::string Problem() const;
  // Writes the changed keys; false when a write failed.
  bool Save() const;

  // One per field, in the layout's order: a line edit, or null for a flag.
  std::vector<QLineEdit*> Edits;
  // One per field: a check box for a flag, else null.
  std::vector<QCheckBox*> Flags;

 private:
  std::vector<std::string> Entered() const;

  TSectionPageLayout layout_;
  std::vector<std::string> shown_;
};

// The pages of [History], [Web] and [PVOutput].
TSectionPageLayout HistoryPageLayout();
TSectionPageLayout WebPageLayout();
TSectionPageLayout PVOutputPageLayout();

}  // namespace helvanta
