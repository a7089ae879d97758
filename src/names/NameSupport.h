#pragma once
// What the two name dialogs share: the rules for a typed name, finding the
// record that a shown name stands for, and small helpers for their messages.
#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/RecordFile.h"
#include "mainwindow/DialogSupport.h"
#include "mainwindow/HandlerTexts.h"

#include <QString>
#include <functional>

namespace fyn::ledger {
enum class Refusal;
} // namespace fyn::ledger

class QAction;
class QLabel;
class QWidget;
class QRadioButton;

namespace fyn {

using handler::kindLine;

// A name field holds 35 bytes of Windows-1252.
constexpr int kNameBytes = 35;

// True when the name holds nothing but white space.
bool blankName(const QString& name);

// Empty when the trimmed, non-blank name can be stored; otherwise why not, as a
// message for the user.
QString nameProblem(const QString& trimmedName);

// Shows the refusal of a name; nothing has been saved.
void refuseName(const QString& problem);

// The record that holds name (trimmed) among the non-blank records of a name
// file: preferred when that record holds exactly the name, else the first that
// does; 0 when none does. Field reads the name of a record.
template <class R, class Field>
long findName(const RecordFile& file, const QString& name, long preferred, Field field);

// The first record 1..count whose name is blank, else count + 1.
template <class R, class Field> long freeSlot(const RecordFile& file, Field field);

// A name dialog's frame: the "Hjälp" menu, opening the help at helpContext, as
// F1 does, above a body of the given size in twips, where the controls go. Esc
// runs cancel, as the dialog's cancel button does.
QWidget* dialogBody(QWidget& dialog, QAction*& help, int helpContext, int widthTwips,
                    int heightTwips, std::function<void()> cancel);

// Labels that show names show them as they are, never as markup.
void plainLabel(QLabel* label);

// A Yes/No question without an icon: any answer but No is Yes.
bool ask(const QString& text, const QString& title);
// An information box with OK.
void inform(const QString& text, const QString& title);

// ---- Templates ----------------------------------------------------------------

template <class R, class Field>
long findName(const RecordFile& file, const QString& name, long preferred, Field field) {
    const QString wanted = trimBlanks(name);
    if (wanted.isEmpty())
        return 0;
    const long count = file.count();
    if (preferred >= 1 && preferred <= count &&
        trimBlanks(field(file.template get<R>(preferred))) == wanted)
        return preferred;
    for (long n = 1; n <= count; ++n)
        if (trimBlanks(field(file.template get<R>(n))) == wanted)
            return n;
    return 0;
}

template <class R, class Field> long freeSlot(const RecordFile& file, Field field) {
    const long count = file.count();
    for (long n = 1; n <= count; ++n)
        if (trimBlanks(field(file.template get<R>(n))).isEmpty())
            return n;
    return count + 1;
}

} // namespace fyn
