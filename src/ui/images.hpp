#pragma once

#include <QIcon>
#include <QPixmap>

namespace helvanta {

// The pictures of the window, drawn at run time so that the program carries no art
// of anyone else's.

inline constexpr int kImageList1Count = 16;
enum ImageList1Index {
  kImageConnect = 0,
  kImageSettings = 1,
  kImageHide = 2,
  kImageShow = 3,
  kImageAbout = 4,
  kImageExit = 5,
  // 6..15: row symbols of the measurand list
};

// One 16 x 16 image of ImageList1 (menus, tool bar, list rows).
QPixmap ImageList1Image(int index);
// The single image of ImageList2: the tray icon (also the window icon).
QIcon TrayIconImage();
// The about box's product picture, 360 x 134.
QPixmap ProductPicture();

enum class ContactSymbol { Address, Phone, Fax, Mail, Web };
// A 16 x 16 symbol in front of a contact line of the about box.
QPixmap ContactSymbolImage(ContactSymbol symbol);

// The folder picture of the settings dialog's browse buttons.
QPixmap FolderImage();

}  // namespace helvanta
