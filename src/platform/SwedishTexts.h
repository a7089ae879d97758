#pragma once
// Qt's own windows in Swedish, whatever the machine's language: the print box,
// the file box, the standard buttons and the text boxes' menus.

class QAbstractProxyModel;
class QObject;

namespace platform {

// Installs the program's catalogue of Qt's texts and the Swedish forms of
// numbers, dates and file kinds; a second call does nothing. Needs a
// QApplication.
void installSwedishTexts();

// The file box's columns of size and date in the Swedish forms (Qt writes
// them in the machine's own); kind and name stay Qt's.
QAbstractProxyModel* swedishFileColumns(QObject* parent);

} // namespace platform
