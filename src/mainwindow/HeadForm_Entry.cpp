// The entry rows: the transaction lists and their option buttons, the amount
// boxes with their key handling, and the help texts of these controls.
#include "mainwindow/HeadForm.h"

#include "platform/Ui.h"

#include "core/Amount.h"
#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/Paths.h"
#include "core/RecordFile.h"
#include "core/State.h"
#include "ledger/Account.h"
#include "ledger/Engine.h"
#include "mainwindow/AmountTexts.h"
#include "mainwindow/DialogSupport.h"
#include "mainwindow/DropDownCombo.h"
#include "mainwindow/HandlerTexts.h"
#include "platform/ClickLabel.h"
#include "platform/Platform.h"

#include <QComboBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>

namespace fyn {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace {

const QString kMainPromptBudg = QStringLiteral("Välj en huvudtransaktion från listan !");
const QString kMainPromptEnkel = QStringLiteral("Välj en huvudtransaktion från listan  !");
const QString kSubPrompt = QStringLiteral("Välj en subtransaktion från listan !");
const QString kSubEmpty = QStringLiteral("Listan subtransaktioner är tom !");

} // namespace

// ---- Wiring -----------------------------------------------------------------------

// A locked amount box looks locked: the window's colour behind its text, as
// a greyed box has, while the text stays readable.
void HeadForm::showLocked(QLineEdit* box) {
    QPalette p = box->palette();
    const QPalette standard = box->style()->standardPalette();
    p.setBrush(QPalette::Base, box->isReadOnly() ? standard.brush(QPalette::Window)
                                                 : standard.brush(QPalette::Base));
    box->setPalette(p);
}

void HeadForm::wireEntry() {
    for (QLineEdit* box : {Bel_Enkel, BudgBel_Budget, VerklBel_Budget})
        showLocked(box);
    for (QWidget* w : std::initializer_list<QWidget*>{Bel_Enkel, BudgBel_Budget, VerklBel_Budget,
                                                      H_TransOptionEnk, S_TransOptionEnk,
                                                      H_TransOptionBudg, S_TransOptionBudg}) {
        w->installEventFilter(this);
        w->setMouseTracking(true);
    }
    static_cast<DropDownCombo*>(TransCombo_Enkel)->dropDown = [this] {
        TransCombo_Enkel_DropDown();
    };
    static_cast<DropDownCombo*>(TransCombo_Budget)->dropDown = [this] {
        TransCombo_Budget_DropDown();
    };
    connect(TransCombo_Enkel, &QComboBox::activated, this, [this] { TransCombo_Enkel_Click(); });
    connect(TransCombo_Budget, &QComboBox::activated, this, [this] { TransCombo_Budget_Click(); });
}

bool HeadForm::entryEvent(QObject* watched, QEvent* e) {
    const QEvent::Type type = e->type();
    if (watched == Bel_Enkel || watched == BudgBel_Budget || watched == VerklBel_Budget) {
        auto* box = static_cast<QLineEdit*>(watched);
        if (type == QEvent::ReadOnlyChange) {
            showLocked(box);
            return false;
        }
        if (type == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(e)->key();
            // Tab moves on and Esc belongs to the cancel button: neither starts
            // an amount. A locked box takes no amount: its keys start nothing.
            if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Escape ||
                box->isReadOnly())
                return false;
            const bool enter = platform::isEnterPress(e);
            if (box == Bel_Enkel) {
                Bel_Enkel_KeyDown();
                Bel_Enkel_KeyPress(enter ? 13 : 0);
            } else if (box == BudgBel_Budget) {
                BudgBel_Budget_KeyDown();
                BudgBel_Budget_KeyPress(enter ? 13 : 0);
            } else {
                VerklBel_Budget_KeyDown();
                VerklBel_Budget_KeyPress(enter ? 13 : 0);
            }
            return enter; // Enter is swallowed, other keys type
        }
        if (type == QEvent::MouseButtonRelease && box == Bel_Enkel)
            Bel_Enkel_MouseUp();
        else if (type == QEvent::MouseMove || type == QEvent::Enter)
            amountHelp(box);
        return false;
    }
    const bool budgetOption = watched == H_TransOptionBudg || watched == S_TransOptionBudg;
    if (budgetOption || watched == H_TransOptionEnk || watched == S_TransOptionEnk) {
        const bool sub = watched == S_TransOptionEnk || watched == S_TransOptionBudg;
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
            if (static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton)
                optionDown(budgetOption, sub);
            return true; // the handler selects the button itself
        }
        if (type == QEvent::MouseButtonRelease)
            return true;
        if (type == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(e)->key();
            if (key == Qt::Key_Space || key == Qt::Key_Select) {
                optionDown(budgetOption, sub);
                return true;
            }
        } else if (type == QEvent::MouseMove || type == QEvent::Enter) {
            optionHelp(budgetOption, sub);
        }
        return false;
    }
    if (type == QEvent::MouseMove || type == QEvent::Enter) {
        if (watched == Command1)
            Command1_MouseMove();
        else if (watched == Command2)
            Command2_MouseMove();
        else if (watched == Command3)
            Command3_MouseMove();
    }
    return false;
}

// ---- The lists ------------------------------------------------------------------------

// Fills a list with the named main transactions; the item data is the record.
void HeadForm::fillMainList(QComboBox* combo, const QString& prompt) {
    combo->clear();
    const RecordFile& transakt = ledger::account().transakt;
    const long count = transakt.count();
    for (long n = 1; n <= count; ++n) {
        const QString name = trimBlanks(transakt.get<TransPost>(n).TransNamn);
        if (!name.isEmpty())
            combo->addItem(name, qlonglong(n));
    }
    combo->setCurrentIndex(-1);
    combo->setPlaceholderText(prompt);
}

void HeadForm::fillSubList(QComboBox* combo) {
    combo->clear();
    RecordFile kategori =
        openRecordFile<KategoriPost>(accountFile(Module1.KontoNamn, QStringLiteral("Kategori")));
    const long count = kategori.count();
    for (long n = 1; n <= count; ++n) {
        const QString name = trimBlanks(kategori.get<KategoriPost>(n).SubNamn);
        if (!name.isEmpty())
            combo->addItem(name, qlonglong(n));
    }
    kategori.close();
    combo->setCurrentIndex(-1);
    combo->setPlaceholderText(count >= 1 ? kSubPrompt : kSubEmpty);
}

void HeadForm::Ladda_H_Trans_Budg() {
    fillMainList(TransCombo_Budget, kMainPromptBudg);
}

void HeadForm::Ladda_S_Trans_Budg() {
    fillSubList(TransCombo_Budget);
}

void HeadForm::Ladda_H_Trans_Enkel() {
    fillMainList(TransCombo_Enkel, kMainPromptEnkel);
    // The fund-account heading is green when a neutral transaction other than
    // the account start exists.
    const RecordFile& transakt = ledger::account().transakt;
    bool neutral = false;
    const long count = transakt.count();
    for (long n = 2; n <= count && !neutral; ++n) {
        const TransPost t = transakt.get<TransPost>(n);
        neutral = !trimBlanks(t.TransNamn).isEmpty() && t.Tecken == QLatin1String(" ");
    }
    QPalette p = Label12->palette();
    p.setColor(QPalette::Window, neutral ? QColor(0, 255, 0) : QColor(255, 255, 0));
    Label12->setPalette(p);
}

void HeadForm::Ladda_S_Trans_Enkel() {
    fillSubList(TransCombo_Enkel);
}

// ---- Option buttons ---------------------------------------------------------------------

void HeadForm::H_TransOptionEnk_MouseDown() {
    optionDown(false, false);
}
void HeadForm::S_TransOptionEnk_MouseDown() {
    optionDown(false, true);
}
void HeadForm::H_TransOptionBudg_MouseDown() {
    optionDown(true, false);
}
void HeadForm::S_TransOptionBudg_MouseDown() {
    optionDown(true, true);
}

void HeadForm::optionDown(bool budget, bool sub) {
    QRadioButton* main = budget ? H_TransOptionBudg : H_TransOptionEnk;
    QRadioButton* subButton = budget ? S_TransOptionBudg : S_TransOptionEnk;
    QRadioButton* pressed = sub ? subButton : main;
    if (pressed->isChecked())
        return;
    pressed->setChecked(true);
    (sub ? main : subButton)->setChecked(false);
    (budget ? Module1.HOptBudg : Module1.HOptEnk) = sub ? QStringLiteral("0") : QStringLiteral("1");
    (budget ? Module1.SOptBudg : Module1.SOptEnk) = sub ? QStringLiteral("1") : QStringLiteral("0");
    const QString routine = sub ? (budget ? QStringLiteral("Ladda_S_Trans_Budg")
                                          : QStringLiteral("Ladda_S_Trans_Enkel"))
                                : (budget ? QStringLiteral("Ladda_H_Trans_Budg")
                                          : QStringLiteral("Ladda_H_Trans_Enkel"));
    const bool ok = trap(
        [&] {
            if (sub)
                budget ? Ladda_S_Trans_Budg() : Ladda_S_Trans_Enkel();
            else
                budget ? Ladda_H_Trans_Budg() : Ladda_H_Trans_Enkel();
        },
        [&] {
            return ErrorContext(routine, {QStringLiteral("vid laddning av transaktionslistan")},
                                {handler::kindLine(), handler::accountLine()});
        });
    if (!ok)
        return;
    markedList(budget);
    const QString& name = sub ? Module1.SubTrans : Module1.HuvudTrans;
    if (!name.isEmpty())
        (budget ? TransText_Budget : TransText_Enkel)->setText(name);
}

void HeadForm::markedList(bool budget) {
    const QString markMode = budget ? QStringLiteral("mkg2") : QStringLiteral("mkg1");
    if (MarkRecord <= 0 || Module1.Avb != markMode)
        return;
    const QString& sOpt = budget ? Module1.SOptBudg : Module1.SOptEnk;
    (budget ? TransCombo_Budget : TransCombo_Enkel)->setEnabled(sOpt == QLatin1String("1"));
}

void HeadForm::H_TransOptionEnk_MouseMove() {
    optionHelp(false, false);
}
void HeadForm::S_TransOptionEnk_MouseMove() {
    optionHelp(false, true);
}
void HeadForm::H_TransOptionBudg_MouseMove() {
    optionHelp(true, false);
}
void HeadForm::S_TransOptionBudg_MouseMove() {
    optionHelp(true, true);
}

void HeadForm::optionHelp(bool budget, bool sub) {
    if (HelpHold >= 1)
        return;
    const bool mainShown = (budget ? Module1.HOptBudg : Module1.HOptEnk) == QLatin1String("1");
    const bool subShown = (budget ? Module1.SOptBudg : Module1.SOptEnk) == QLatin1String("1");
    if (!sub) {
        QRadioButton* b = budget ? H_TransOptionBudg : H_TransOptionEnk;
        if (!subShown) {
            b->setToolTip(QString());
            if (mainShown && !budget)
                Label29->setText(QStringLiteral("Huvudtransaktioner"));
        } else {
            b->setToolTip(Module1.HuvudTrans.isEmpty()
                              ? QStringLiteral("Ladda listan med huvudtransaktioner !")
                              : QStringLiteral("Huvudtransaktion = ") + Module1.HuvudTrans);
        }
        return;
    }
    QRadioButton* b = budget ? S_TransOptionBudg : S_TransOptionEnk;
    if (MarkRecord > 0) {
        b->setToolTip(mainShown && !Module1.SubTrans.isEmpty()
                          ? QStringLiteral("Subtransaktion = ") + Module1.SubTrans
                          : QString());
        return;
    }
    if (mainShown) {
        Label29->setText(QStringLiteral("Subtransaktioner:"));
        const qint64 size =
            QFileInfo(accountFile(Module1.KontoNamn, QStringLiteral("Kategori"))).size();
        b->setToolTip(size > KategoriPost::Length
                          ? QStringLiteral("Ladda listan med subtransaktioner !")
                          : QStringLiteral("Subtransaktioner saknas f n i detta konto !"));
    } else if (subShown) {
        QComboBox* combo = budget ? TransCombo_Budget : TransCombo_Enkel;
        Label29->setText(QStringLiteral("Subtransaktioner:"));
        b->setToolTip(QString());
        Label30->setText(combo->count() > 0 ? QStringLiteral("Listan innehåller %1 "
                                                             "subtransaktioner !")
                                                  .arg(combo->count())
                                            : QStringLiteral("Listan saknar subtransaktioner !"));
    } else {
        b->setToolTip(QString());
    }
}

// ---- The transaction combos ---------------------------------------------------------------

void HeadForm::TransCombo_Enkel_DropDown() {
    comboDropDown(false);
}
void HeadForm::TransCombo_Budget_DropDown() {
    comboDropDown(true);
}

void HeadForm::comboDropDown(bool budget) {
    if (MarkRecord >= 1)
        return;
    (budget ? TransText_Budget : TransText_Enkel)->clear();
    Module1.HuvudTrans.clear();
    Module1.TransTecken.clear();
    const bool typed =
        budget ? !(BudgBelText.isEmpty() && VerklBelText.isEmpty()) : !VerklBelText.isEmpty();
    if (typed)
        return;
    if (budget) {
        BudgBel_Budget->setReadOnly(true);
        VerklBel_Budget->setReadOnly(true);
    } else {
        Bel_Enkel->setReadOnly(true);
    }
    if (SaldoInFlag != QLatin1String("1")) {
        Command2->setEnabled(true);
        Command2->setText(QStringLiteral("Flytta"));
        Module1.EditMode = QStringLiteral("flt");
    }
}

void HeadForm::TransCombo_Enkel_Click() {
    comboClick(false);
}
void HeadForm::TransCombo_Budget_Click() {
    comboClick(true);
}

void HeadForm::comboClick(bool budget) {
    QComboBox* combo = budget ? TransCombo_Budget : TransCombo_Enkel;
    if (combo->currentIndex() < 0)
        return;
    if ((budget ? Module1.SOptBudg : Module1.SOptEnk) != QLatin1String("1"))
        mainChosen(budget);
    else
        subChosen(budget);
}

void HeadForm::mainChosen(bool budget) {
    QComboBox* combo = budget ? TransCombo_Budget : TransCombo_Enkel;
    QLineEdit* transText = budget ? TransText_Budget : TransText_Enkel;
    const QString routine = budget ? QStringLiteral("TransCombo_Budget_Click")
                                   : QStringLiteral("TransCombo_Enkel_Click");
    QString name, sign;
    const bool read = handler::trapWithHead(
        [&] {
            Module1.TransNr = combo->currentData().toLongLong();
            const TransPost t = ledger::account().transakt.get<TransPost>(Module1.TransNr);
            name = trimBlanks(t.TransNamn);
            sign = t.Tecken;
            Label28->clear();
        },
        [&] {
            return ErrorContext(
                routine,
                {QStringLiteral("vid val på Transaktionslistan"),
                 QStringLiteral("och hämtning av transaktion")},
                {(budget ? QStringLiteral("Klickad transaktion i TransCombo_Budget ")
                         : QStringLiteral("Klickad transaktion i TransCombo_Enkel 1 ")) +
                     combo->currentText(),
                 QStringLiteral("Hämtad transaktion från filen:") + name,
                 QStringLiteral("Transakt\\") + QString::number(Module1.TransNr),
                 QStringLiteral("Med tecken: [") + sign + QLatin1Char(']')});
        },
        QStringLiteral("Fel nr 1 i rutinen ") + routine);
    if (!read)
        return;

    if (MarkRecord > 0) {
        swapChosen(budget, name, sign);
        return;
    }

    Module1.HuvudTrans = name;
    transText->setText(name);
    Module1.TransTecken = sign;
    labelsToWorkDate();
    if (!budget && SaldoInFlag == QLatin1String("1")) {
        Bel_Enkel->setReadOnly(false);
        Bel_Enkel->setFocus();
        return;
    }
    auto enterMode = [&] {
        Lock_menues();
        Lock_Konto();
        Picture1->setEnabled(false);
        Command3->setText(QStringLiteral("Avbryt inmatn."));
        Module1.Avb = QStringLiteral("cbonomark");
        Module1.CancelFlag = QStringLiteral("1"); // Esc undoes the entry too
        // Neither grid takes a click while a new posting is entered: a marking
        // would mix the two.
        (budget ? G2 : G1)->setEnabled(false);
        // Both amounts of a budget posting are open: an actual amount typed
        // first leaves the budget amount at 0.
        QLineEdit* first = budget ? BudgBel_Budget : Bel_Enkel;
        first->setReadOnly(false);
        if (budget)
            VerklBel_Budget->setReadOnly(false);
        first->setFocus();
    };
    if (!budget) {
        enterMode();
        return;
    }
    handler::trapWithHead(
        enterMode,
        [&] {
            return ErrorContext(routine,
                                {QStringLiteral("när transaktion har valts för"),
                                 QStringLiteral("kontopost i ett budgetkonto")},
                                {QStringLiteral("Vald transaktion i TransCombo_Budget ") +
                                     Module1.HuvudTrans + QStringLiteral("  (") +
                                     Module1.TransTecken + QLatin1Char(')'),
                                 QStringLiteral("Valt konto ") + Module1.KontoNamn,
                                 QStringLiteral("Budgetbelopp ") + BudgBelText,
                                 QStringLiteral("BudgBel_Budget: ") + BudgBel_Budget->text(),
                                 QStringLiteral("Verkl. belopp ") + VerklBelText,
                                 QStringLiteral("VerklBel_Budget: ") + VerklBel_Budget->text()});
        },
        QStringLiteral("Fel nr 3 i rutinen ") + routine);
}

void HeadForm::subChosen(bool budget) {
    QComboBox* combo = budget ? TransCombo_Budget : TransCombo_Enkel;
    QLineEdit* transText = budget ? TransText_Budget : TransText_Enkel;
    const QString routine = budget ? QStringLiteral("TransCombo_Budget_Click")
                                   : QStringLiteral("TransCombo_Enkel_Click");
    QString name;
    const bool read = handler::trapWithHead(
        [&] {
            const RecordFile kategori = openRecordFile<KategoriPost>(
                accountFile(Module1.KontoNamn, QStringLiteral("Kategori")));
            Module1.SubTransNr = combo->currentData().toLongLong();
            name = trimBlanks(kategori.get<KategoriPost>(Module1.SubTransNr).SubNamn);
            transText->setText(name);
        },
        [&] {
            return ErrorContext(
                routine,
                {QStringLiteral("när subtransaktion har valts"), QStringLiteral("från listan")},
                {QStringLiteral("Vald subtransaktion i TransCombo_Enkel ") + combo->currentText(),
                 QStringLiteral("Referens nr ") + QString::number(Module1.SubTransNr),
                 QStringLiteral("Variabel ") + name,
                 (budget ? QStringLiteral("TransText_Budget: ") : QStringLiteral("TransText: ")) +
                     transText->text()});
        },
        QStringLiteral("Fel nr 1 i rutinen ") + routine);
    if (!read)
        return;

    if (MarkRecord > 0) {
        QString oldName;
        handler::trapWithHead(
            [&] {
                ledger::PostingFile& data = ledger::account().kontoData;
                const QString subRef = trimBlanks(budget ? data.budget(MarkRecord).SubRef
                                                         : data.enkel(MarkRecord).SubRef);
                if (!subRef.isEmpty()) {
                    const RecordFile kategori = openRecordFile<KategoriPost>(
                        accountFile(Module1.KontoNamn, QStringLiteral("Kategori")));
                    const int subNr =
                        inRecord(data.path(), MarkRecord, [&] { return toInt(subRef); });
                    oldName = trimBlanks(kategori.get<KategoriPost>(subNr).SubNamn);
                }
                const QString purpose = budget
                                            ? QStringLiteral("för att precisera transaktionen ?")
                                            : QStringLiteral("för att förtydliga transaktionen ?");
                const QString sep = budget ? QStringLiteral("\n") : QStringLiteral("\n\n");
                const Answer answer =
                    oldName.isEmpty()
                        ? platform::messages().show(
                              QStringLiteral("Vill du lägga in subtransaktionen") + sep + name +
                                  sep +
                                  (budget ? purpose
                                          : QStringLiteral("för att komplettera transaktionen ?")),
                              Buttons::YesNo, Icon::None,
                              QStringLiteral("Ny subtransaktion i post"))
                        : platform::messages().show(
                              QStringLiteral("Vill du ersätta texten:") + sep + oldName + sep +
                                  QStringLiteral("med texten:") + sep + name + sep + purpose,
                              Buttons::YesNo, Icon::None,
                              QStringLiteral("Ändrad subtransaktion i post"));
                if (answer != Answer::No) {
                    ledger::setSubRef(data, MarkRecord, Module1.SubTransNr);
                    Module1.SubTrans = name;
                } else {
                    budget ? Rensa_Mark_G2() : Rensa_Mark_G1();
                    FormDate = Module1.DagensDatum;
                    datumset();
                }
            },
            [&] {
                return ErrorContext(
                    routine,
                    {QStringLiteral("när subtransaktion ska tillföras"),
                     QStringLiteral("eller ersättas av annan i kontopost")},
                    {QStringLiteral("Vald subtransaktion i TransCombo_Enkel  ") + name,
                     QStringLiteral("Ev. befintlig i kontopost ") + oldName, handler::kindLine(),
                     handler::accountLine()});
            },
            QStringLiteral("Fel nr 6 i rutinen ") + routine);
        return;
    }

    Module1.SubTrans = name;
    QLineEdit* first = budget ? BudgBel_Budget : Bel_Enkel;
    if (!Module1.HuvudTrans.isEmpty()) {
        first->setFocus();
        return;
    }
    // A subtransaction first: the window waits for the main transaction, and
    // the cancel button undoes the choice like any other begun entry.
    labelsToWorkDate();
    Lock_menues();
    Lock_Konto();
    Picture1->setEnabled(false);
    (budget ? G2 : G1)->setEnabled(false);
    Module1.Avb = QStringLiteral("cbonomark");
    Module1.CancelFlag = QStringLiteral("1");
    Command3->setText(QStringLiteral("Avbryt inmatn."));
    const QString& typed = budget ? BudgBelText : VerklBelText;
    if (!typed.isEmpty()) {
        Command2->setEnabled(true);
        Command2->setText(QStringLiteral("Flytta"));
        Module1.EditMode = QStringLiteral("flt");
        Command2->setFocus();
    } else {
        Command2->setEnabled(false);
        Module1.EditMode.clear();
    }
}

// ---- Amount boxes -------------------------------------------------------------------------

void HeadForm::Bel_Enkel_KeyDown() {
    amountKeyDown(Bel_Enkel);
}
void HeadForm::BudgBel_Budget_KeyDown() {
    amountKeyDown(BudgBel_Budget);
}
void HeadForm::VerklBel_Budget_KeyDown() {
    amountKeyDown(VerklBel_Budget);
}

void HeadForm::amountKeyDown(QLineEdit* box) {
    if (Module1.BelEditFlag >= 1)
        return;
    Module1.BelEditFlag = 1;
    (box == BudgBel_Budget ? BudgBelText : VerklBelText).clear();
    if (MarkRecord < 1) {
        box->clear(); // the typing replaces what the box showed
        return;
    }
    Command2->setText(QStringLiteral("Ändra"));
    Command2->setEnabled(false);
    Module1.EditMode = QStringLiteral("chg");
    Command3->setText(QStringLiteral("Avbryt ändr."));
    Module1.Avb = QStringLiteral("chg");
    Module1.CancelFlag = QStringLiteral("1");
    Command1->setEnabled(false);
    (isBudget() ? VScroll2 : VScroll1)->setEnabled(false);
    // No subtransaction is picked for the posting while its amount changes.
    (isBudget() ? TransCombo_Budget : TransCombo_Enkel)->setEnabled(false);
}

void HeadForm::Bel_Enkel_KeyPress(int keyAscii) {
    if (keyAscii == 13)
        amountEnter(Bel_Enkel);
}
void HeadForm::BudgBel_Budget_KeyPress(int keyAscii) {
    if (keyAscii == 13)
        amountEnter(BudgBel_Budget);
}
void HeadForm::VerklBel_Budget_KeyPress(int keyAscii) {
    if (keyAscii == 13)
        amountEnter(VerklBel_Budget);
}

void HeadForm::amountEnter(QLineEdit* box) {
    if (box == Bel_Enkel && SaldoInFlag == QLatin1String("1")) {
        balanceEntered();
        return;
    }
    if (Module1.HuvudTrans.isEmpty() || Module1.BelEditFlag < 1)
        return;
    const TypedAmount typed = readTypedAmount(box->text());
    if (refusedTyped(typed)) {
        // The edit stays open (BelEditFlag 1): the next keys correct the text,
        // and nothing is put in until an Enter takes it.
        Command2->setEnabled(false);
        box->setFocus();
        return;
    }
    Module1.BelEditFlag = 0;
    // The limit is taken on the whole krona, rounded half to even.
    if (typed.kind == TypedAmount::Kind::TooLarge ||
        (typed.kind == TypedAmount::Kind::Number && typed.wholeKronor() >= 100000000)) {
        MaxLevel_Msg();
        Module1.CancelFlag = QStringLiteral("1");
        Command3_Click();
        return;
    }
    QString cleaned = typed.digits;
    QString display;
    if (typed.kind == TypedAmount::Kind::Empty) {
        cleaned = QStringLiteral("0,00");
        display = cleaned;
        platform::messages().show(
            QStringLiteral("Eftersom andra tecken än siffror, alternativt inga tecken, har "
                           "använts, utföres beloppet med 0,00"),
            Buttons::Ok, Icon::Information, QStringLiteral("Nollbelopp eller andra tecken"));
    } else {
        display = ltrimBlanks(typed.value.pattern());
    }
    // An expense is negative whatever was typed, an income positive; a
    // neutral transaction (a fund account's balance entries) keeps the sign
    // typed, so that a negative posting stays negative when changed.
    const bool neutral = trimBlanks(Module1.TransTecken).isEmpty();
    if (Module1.TransTecken == QLatin1String("-") || (neutral && typed.minus())) {
        cleaned.prepend(QLatin1Char('-'));
        display.prepend(QLatin1Char('-'));
    }
    const bool marked = MarkRecord > 0;
    auto arm = [&] {
        Command2->setEnabled(true);
        if (!marked) {
            Command2->setText(QStringLiteral("Lägg in"));
            Module1.EditMode = QStringLiteral("inl");
        }
        Command2->setFocus();
    };
    if (box == BudgBel_Budget) {
        BudgBelText = cleaned;
        box->setText(display);
        if (!marked) {
            if (VerklBelText.isEmpty()) {
                VerklBelText = BudgBelText;
                VerklBel_Budget->setText(display);
            }
        }
    } else if (box == VerklBel_Budget) {
        VerklBelText = cleaned;
        box->setText(display);
        if (!marked && BudgBelText.isEmpty()) {
            const bool expense = Module1.TransTecken == QLatin1String("-");
            BudgBelText = expense ? QStringLiteral("-0") : QStringLiteral("0");
            BudgBel_Budget->setText(expense ? QStringLiteral("-0,00") : QStringLiteral("0,00"));
        }
    } else {
        VerklBelText = cleaned;
        box->setText(display);
    }
    arm();
}

// The new balance of a fund account, typed or pasted.
void HeadForm::balanceEntered() {
    const TypedAmount typed = readTypedAmount(Bel_Enkel->text());
    if (refusedTyped(typed, true)) {
        // Nothing is computed until an Enter takes a balance; the text stays
        // to be corrected.
        NyttSaldoText.clear();
        Module1.BelEditFlag = 1;
        Bel_Enkel->setFocus();
        return;
    }
    Module1.BelEditFlag = 0;
    Amount balance;
    if (!balanceValue(Bel_Enkel->text(), balance) || balance.overLimit()) {
        NyttSaldoText.clear();
        MaxLevel_Msg();
        Module1.CancelFlag = QStringLiteral("1");
        Command3_Click();
        return;
    }
    NyttSaldoText = trimBlanks(Bel_Enkel->text());
    Bel_Enkel->setText(balance.display());
    Command2->setEnabled(true);
    Command2->setText(QStringLiteral("Beräkna"));
    Command2->setFocus();
}

void HeadForm::Bel_Enkel_MouseUp() {
    if (SaldoInFlag != QLatin1String("1"))
        return;
    // A click that only places the cursor in a box being typed leaves the
    // entry as it is; a pasted balance is read.
    const TypedAmount::Kind kind = readTypedAmount(Bel_Enkel->text()).kind;
    if (kind == TypedAmount::Kind::Empty || kind == TypedAmount::Kind::NotANumber)
        return;
    balanceEntered();
}

void HeadForm::Bel_Enkel_MouseMove() {
    amountHelp(Bel_Enkel);
}
void HeadForm::BudgBel_Budget_MouseMove() {
    amountHelp(BudgBel_Budget);
}
void HeadForm::VerklBel_Budget_MouseMove() {
    amountHelp(VerklBel_Budget);
}

void HeadForm::amountHelp(QLineEdit* box) {
    if (HelpHold >= 1)
        return;
    const bool enkel = box == Bel_Enkel;
    const bool verkl = box == VerklBel_Budget;
    const bool saldo = SaldoInFlag == QLatin1String("1");
    QString heading = enkel   ? QStringLiteral("Belopp")
                      : verkl ? QStringLiteral("Verkl. belopp")
                              : QStringLiteral("Budgetbelopp");
    if (saldo && enkel)
        heading = QStringLiteral("Saldo");
    QString tip, text;
    if (MarkRecord > 0 && box->isReadOnly()) {
        tip = QStringLiteral("Belopp kan ej ändras !");
        text = QStringLiteral("Ej möjligt ändra belopp under annan operation !");
    } else if (MarkRecord > 0 && Module1.BelEditFlag > 0) {
        tip = QStringLiteral("Ändra och tryck ENTER !");
        text = QStringLiteral("Justera beloppet, tryck därefter ENTER !");
    } else if (MarkRecord > 0) {
        tip =
            verkl ? QStringLiteral("Belopp kan ändras !") : QStringLiteral("Beloppet kan ändras !");
        text = verkl   ? QStringLiteral("Belopp är möjligt att justera vid behov !")
               : enkel ? QStringLiteral("Beloppet möjligt justera vid behov !")
                       : QStringLiteral("Beloppet är möjligt att justera vid behov !");
    } else if (Module1.HuvudTrans.isEmpty()) {
        tip = QStringLiteral("Transaktion ej vald !");
        text = QStringLiteral("Transaktion måste väljas innan belopp skrivs in !");
    } else if (box->isReadOnly()) {
        tip = QStringLiteral("Avsluta med [Lägg in] !");
        text = QStringLiteral("Slutför ändringen med [Lägg in] !");
    } else if (enkel && saldo && !NyttSaldoText.isEmpty()) {
        tip = QStringLiteral("Beräkna beloppet !");
        text = QStringLiteral("Klicka på kommandoknappen 'Beräkna' !");
    } else if (enkel && saldo) {
        tip = QStringLiteral("För in Saldo");
        text = QStringLiteral("Skriv eller klistra in hämtat saldo i fältet!");
    } else if (Module1.BelEditFlag > 0) {
        tip = QStringLiteral("Avsluta med ENTER !");
        text = QStringLiteral("Tryck ENTER efter avslutad inmatning !");
    } else if (verkl && !BudgBel_Budget->text().isEmpty()) {
        tip = QStringLiteral("Belopp kan ändras !");
        text = QStringLiteral("Beloppet är möjligt att justera vid behov !");
    } else if (verkl && saldo) {
        tip = QStringLiteral("För in Saldo");
        text = QStringLiteral("Skriv eller klistra in hämtat saldo i fältet!");
    } else {
        tip = enkel   ? QStringLiteral("Skriv in beloppet")
              : verkl ? QStringLiteral("Skriv in belopp !")
                      : QStringLiteral("Skriv in Beloppet");
        text = enkel   ? QStringLiteral("Skriv in beloppet i fältet!")
               : verkl ? QStringLiteral("Skriv in belopp i fältet!")
                       : QStringLiteral("Skriv in budgeterat belopp i fältet!");
    }
    Label29->setText(heading);
    box->setToolTip(tip);
    Label30->setText(text);
}

} // namespace fyn
