// The subtransaction dialog. Clearing a deleted name from the postings goes
// through the posting engine; this file asks the user, keeps the name file and
// drives the main window.
#include "names/SubTransForm.h"

#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/Paths.h"
#include "core/PosFil.h"
#include "core/RecordFile.h"
#include "core/State.h"
#include "ledger/Account.h"
#include "ledger/Engine.h"
#include "mainwindow/HandlerTexts.h"
#include "mainwindow/HeadForm.h"
#include "names/NameSupport.h"
#include "platform/Platform.h"
#include "platform/Ui.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWindow>

namespace fyn {

using platform::kArial;
using platform::makeControl;
using platform::placeTwips;
using platform::twips;
using platform::uiFont;

namespace {

bool is(const QString& value, const char* text) {
    return value == QLatin1String(text);
}

QString nameOf(const KategoriPost& k) {
    return k.SubNamn;
}

RecordFile openKategori() {
    return openRecordFile<KategoriPost>(accountFile(Module1.KontoNamn, QStringLiteral("Kategori")));
}

QString num(long n) {
    return QString::number(n);
}

} // namespace

SubTransForm::SubTransForm(HeadForm& head) : QWidget(nullptr, Qt::Dialog), head_(head) {
    setObjectName(QStringLiteral("SubTransForm"));
    setWindowTitle(QStringLiteral("Subtransaktion"));
    setFont(uiFont(kArial, 9.75));

    QWidget* body = dialogBody(*this, hlp_mn, 30000, 6240, 3480, [this] { Command1_Click(); });

    Label1 = makeControl<QLabel>(body, "Label1", QStringLiteral("SubTransaktionsNamn"));
    placeTwips(Label1, 240, 120, 3720, 255);
    Text1 = makeControl<QLineEdit>(body, "Text1");
    placeTwips(Text1, 240, 400, 3720, 360);
    Label1->setBuddy(Text1);
    Text1->setAccessibleName(Label1->text());
    Text1->installEventFilter(this);

    Option1 = makeControl<QRadioButton>(body, "Option1", QStringLiteral("Ändra"));
    placeTwips(Option1, 4320, 360, 1680, 300);
    Option2 = makeControl<QRadioButton>(body, "Option2", QStringLiteral("Radera"));
    placeTwips(Option2, 4320, 720, 1680, 300);
    optionGroup({Option1, Option2});

    Label2 = makeControl<QLabel>(body, "Label2");
    placeTwips(Label2, 240, 960, 5760, 1560);
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    plainLabel(Label1);
    plainLabel(Label2);

    Command2 = makeControl<QPushButton>(body, "Command2", QStringLiteral("OK"));
    placeTwips(Command2, 240, 2760, 1800, 480);
    Command1 = makeControl<QPushButton>(body, "Command1", QStringLiteral("Avbryt"));
    placeTwips(Command1, 3120, 2760, 2880, 480);

    connect(Option1, &QRadioButton::clicked, this, &SubTransForm::Option1_MouseUp);
    connect(Option2, &QRadioButton::clicked, this, &SubTransForm::Option2_MouseUp);
    connect(Command2, &QPushButton::clicked, this, &SubTransForm::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &SubTransForm::Command1_Click);
    // Not a Qt child of the main window (disabling it would disable the dialog),
    // so it goes with it.
    connect(&head_, &QObject::destroyed, this, [this] { delete this; });
}

bool SubTransForm::budget() const {
    return is(Module1.KontoSlag, "Bg");
}

QLineEdit* SubTransForm::transText() const {
    return budget() ? head_.TransText_Budget : head_.TransText_Enkel;
}

QComboBox* SubTransForm::transCombo() const {
    return budget() ? head_.TransCombo_Budget : head_.TransCombo_Enkel;
}

bool SubTransForm::listsSubs() const {
    return is(budget() ? Module1.SOptBudg : Module1.SOptEnk, "1");
}

void SubTransForm::setHint(const QString& text, bool green) {
    QPalette p = Label2->palette();
    p.setColor(QPalette::WindowText,
               green ? QColor(0, 64, 0) : palette().color(QPalette::WindowText));
    Label2->setPalette(p);
    Label2->setText(text);
}

// ---- Opening and closing ------------------------------------------------------------

void SubTransForm::Form_Load() {
    record_ = 0;
    renaming_ = false;
    showBeside(*this, head_, WindowPos::SubTransForm);
    uncheck(Option1);
    uncheck(Option2);
    SubRenameFlag = QStringLiteral("0");
    Command2->setEnabled(false);
    Text1->setToolTip(QString());
    setHint(QString());

    if (is(Module1.subtrfo, "ny")) {
        setWindowTitle(QStringLiteral("Nytt namn subtransaktion"));
        Option1->setEnabled(false);
        Option2->setEnabled(false);
        setHint(QStringLiteral("Sätt namn på ny subtransaktion. Avsluta med Enter !"));
        Text1->clear();
        Text1->setEnabled(true);
        Text1->setReadOnly(false);
        Text1->setFocus();
        Command1->setText(QStringLiteral("Avbryt ny subtransaktion"));
    } else if (is(Module1.subtrfo, "chg")) {
        // The dialog acts on the name the user sees, never on a number left
        // over from an earlier choice.
        const QString shown = trimBlanks(Module1.SubTrans);
        record_ = findName<KategoriPost>(openKategori(), shown, Module1.SubTransNr, nameOf);
        if (record_ == 0) {
            inform(QStringLiteral("Subtransaktionen '") + shown +
                       QStringLiteral("' finns inte i listan.\n\nIngenting har ändrats !"),
                   QStringLiteral("Subtransaktionen saknas"));
            Command1_Click();
            return;
        }
        Module1.SubTransNr = record_;
        Module1.SubTrans = shown;
        setWindowTitle(QStringLiteral("Ändra/Radera namn på subtransaktion"));
        Text1->setText(shown);
        Text1->setReadOnly(false);
        Text1->setEnabled(false);
        Option1->setEnabled(true);
        Option2->setEnabled(true);
        setHint(QStringLiteral("Markera ett alternativ 'Ändra' eller 'Radera'"));
        Command1->setFocus();
        Command1->setText(QStringLiteral("Avbryt ändra subtrans."));
    }
}

void SubTransForm::Command1_Click() {
    if (isVisible())
        positionQuietly([this] { storeWindowPosition(*this, WindowPos::SubTransForm); });
    head_.setEnabled(true);
    transText()->clear();
    head_.Command3_Click();
    Module1.subtrfo.clear();
    record_ = 0;
    renaming_ = false;
    hide();
    head_.activateWindow();
}

void SubTransForm::closeEvent(QCloseEvent* e) {
    // The close box cancels, as the cancel button does; the instance is kept.
    e->ignore();
    Command1_Click();
}

bool SubTransForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Text1 && platform::isEnterPress(e)) {
        Text1_KeyPress(13);
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

// ---- The choices ----------------------------------------------------------------------

void SubTransForm::Option1_MouseUp() {
    Option1->setChecked(true);
    if (!ask(QStringLiteral("Vill du ändra namnet på subtransaktionen ") + Module1.SubTrans,
             QStringLiteral("Nytt eller ändrat namn på subtransaktion")))
        return;
    Option2->setEnabled(false);
    // OK waits for the new name to be confirmed, so that it cannot delete.
    Command2->setEnabled(false);
    Text1->setEnabled(true);
    Text1->setReadOnly(false);
    Text1->setToolTip(QStringLiteral("Ändra/ange nytt namn på subtransaktion"));
    setHint(QStringLiteral("Ändra namn, eller skriv ett nytt, sedan ENTER\n\n"
                           "(Alla poster med subtransaktionen ändras !)"),
            true);
    renaming_ = true;
    Text1->setFocus();
}

void SubTransForm::Option2_MouseUp() {
    Option2->setChecked(true);
    Text1->setEnabled(true);
    Text1->setReadOnly(true);
    setHint(QStringLiteral("Klicka OK för att radera subtransaktionen '") + Module1.SubTrans +
            QStringLiteral("'\n Eller klicka på knappen 'Avbryt....'"));
    Command2->setEnabled(true);
    Command2->setFocus();
}

void SubTransForm::Text1_KeyPress(int keyAscii) {
    if (keyAscii != 13)
        return;
    // Stored as typed: leading blanks are kept, trailing ones are the field's
    // own padding.
    const QString typed = rtrimBlanks(Text1->text());
    if (is(Module1.subtrfo, "chg")) {
        if (!renaming_)
            return;
        if (const QString problem = nameProblem(typed); !problem.isEmpty()) {
            refuseName(problem);
            Text1->setFocus();
            return;
        }
        if (!ask(QStringLiteral("Namnet på subtransaktionen föreslås ändrat från:\n") +
                     Module1.SubTrans + QStringLiteral("  till  ") + typed +
                     QStringLiteral("\n\nÄr ändringen OK ?"),
                 QStringLiteral("Ändrat transaktionsnamn"))) {
            Text1->setFocus();
            return;
        }
        Text1->setText(typed);
        Text1->setReadOnly(true);
        renaming_ = false;
        Option1->setEnabled(false);
        Option2->setEnabled(false);
        setHint(QStringLiteral("Transaktionsnamn ändras. Klicka på OK !"));
        SubRenameFlag = QStringLiteral("1");
        Command2->setEnabled(true);
        Command2->setFocus();
        return;
    }
    if (!is(Module1.subtrfo, "ny"))
        return;
    if (blankName(typed)) {
        if (ask(QStringLiteral("Inget namn har angivits på subtransaktionen !\n\n"
                               "Vill du avsluta och återvända till huvudformuläret ?"),
                QStringLiteral("Saknat transaktionsnamn"))) {
            Text1->setReadOnly(true);
            Command1_Click();
        } else {
            Text1->setFocus();
        }
        return;
    }
    if (const QString problem = nameProblem(typed); !problem.isEmpty()) {
        refuseName(problem);
        Text1->setFocus();
        return;
    }
    Text1->setReadOnly(true);
    Command2->setEnabled(true);
    Command2->setFocus();
}

void SubTransForm::Command2_Click() {
    Command2->setEnabled(false);
    const bool rename = SubRenameFlag == QLatin1String("1");
    if (is(Module1.subtrfo, "ny") || rename) {
        Module1.SubTrans = rtrimBlanks(Text1->text());
        SubTransSpar();
    } else if (is(Module1.subtrfo, "chg")) {
        if (is(Module1.KontoSlag, "Bg"))
            SubTransRadera_Budget();
        else if (is(Module1.KontoSlag, "Ek"))
            SubTransRadera_Enkel();
    }
}

// ---- Saving ---------------------------------------------------------------------------------

void SubTransForm::SubTransSpar() {
    const bool rename = SubRenameFlag == QLatin1String("1");
    const QString name = Module1.SubTrans;
    if (const QString problem = nameProblem(name); !problem.isEmpty()) {
        refuseName(problem);
        Command2->setEnabled(true);
        return;
    }
    if (rename && record_ < 1)
        return;
    const bool saved = handler::trapWithHead(
        [&] {
            const RecordFile kategori = openKategori();
            if (rename) {
                // The postings keep their reference and show the new name.
                kategori.put(record_, KategoriPost{name});
                if (listsSubs())
                    budget() ? head_.Ladda_S_Trans_Budg() : head_.Ladda_S_Trans_Enkel();
                transText()->clear();
                return;
            }
            const long slot = freeSlot<KategoriPost>(kategori, nameOf);
            kategori.put(slot, KategoriPost{name});
            Module1.SubTransNr = slot;
            if (listsSubs())
                transCombo()->addItem(name, qlonglong(slot));
        },
        [&] {
            ErrorContext c(QStringLiteral("SubTransSpar"), {},
                           {QStringLiteral("Ny subtransaktion ?  ") + name,
                            QStringLiteral("Referenssiffra  ") + num(Module1.SubTransNr),
                            QStringLiteral("Antal listposter  ") + num(transCombo()->count()),
                            kindLine(),
                            QStringLiteral("Felet uppstod i konto ") + Module1.KontoNamn});
            c.messageSuffix = QStringLiteral(" vid försök spara ny subtransaktion");
            return c;
        },
        QStringLiteral("Fel i rutinen KateSpar vid sparförsök"));
    if (!saved)
        return;
    if (rename) {
        Command1_Click();
        return;
    }
    positionQuietly([this] { storeWindowPosition(*this, WindowPos::SubTransForm); });
    head_.setEnabled(true);
    // The main window leaves the new-name mode as its cancel leaves it (the
    // marking, the lists and the buttons back in order) and goes on as if the
    // new name had been picked from its list.
    Module1.CancelFlag = QStringLiteral("1");
    head_.Command3_Click();
    Module1.subtrfo.clear();
    record_ = 0;
    hide();
    head_.activateWindow();
    pickSaved();
}

void SubTransForm::pickSaved() {
    QComboBox* combo = transCombo();
    const int i = listsSubs() ? combo->findData(qlonglong(Module1.SubTransNr)) : -1;
    if (i < 0)
        return;
    combo->setCurrentIndex(i);
    budget() ? head_.TransCombo_Budget_Click() : head_.TransCombo_Enkel_Click();
}

// ---- Deletion ------------------------------------------------------------------------------

void SubTransForm::SubTransRadera_Budget() {
    SubTransRadera(true);
}

void SubTransForm::SubTransRadera_Enkel() {
    SubTransRadera(false);
}

void SubTransForm::SubTransRadera(bool bg) {
    if (record_ < 1)
        return;
    const long record = record_;
    const QString name = Module1.SubTrans;
    const bool done = trap(
        [&] {
            // The slot is freed for the next new name (the file does not shrink)
            // in the same commit as the postings lose the name.
            const RecordFile kategori = openKategori();
            const long cleared = ledger::clearSubtransaction(
                ledger::account().kontoData, Module1.AntalPoster, record,
                [&](WriteBatch& batch) { kategori.put(batch, record, KategoriPost{QString()}); });
            if (listsSubs())
                bg ? head_.Ladda_S_Trans_Budg() : head_.Ladda_S_Trans_Enkel();
            transText()->clear();
            const QString opening = QStringLiteral("SubTransaktionen\n\n") + name +
                                    QStringLiteral("\n\när nu raderad från listan !\n\n");
            inform(opening + (cleared == 0
                                  ? QStringLiteral("SubTransaktionen hittades dock inte i någon "
                                                   "av kontoposterna....")
                                  : QStringLiteral("SubTransaktionen hittades i ") + num(cleared) +
                                        QStringLiteral(" kontoposter och raderades från dessa !")),
                   QStringLiteral("Radering subtransaktion"));
        },
        [&] {
            const QString routine = bg ? QStringLiteral("SubTransRadera_Budget")
                                       : QStringLiteral("SubTransRadera_Enkel");
            const QString context =
                bg ? QStringLiteral("vid försök att radera en subtransaktion för budgetkonto")
                   : QStringLiteral("vid försök att radera en subtransaktion för enkelkonto");
            ErrorContext c(
                routine, {},
                {context, QStringLiteral("Angivet kontonamn ") + Module1.KontoNamn,
                 QStringLiteral("Angiven sökväg ") + dataFolder(),
                 (bg ? QStringLiteral("Angivet bokf.val (Budget) ")
                     : QStringLiteral("Angivet bokf.val (Enkel) ")) +
                     Module1.KontoSlag,
                 QStringLiteral("SubTransaktion att radera ") + name,
                 QStringLiteral("Antal subtransaktioner i listan ") + num(transCombo()->count()),
                 QStringLiteral("Filpostlängd ") +
                     num(bg ? BudgetKontoPost::Length : EnkelKontoPost::Length),
                 QStringLiteral("Antalet filposter ") + num(Module1.AntalPoster),
                 bg ? QStringLiteral("Kontoslag = BudgetKonto")
                    : QStringLiteral("Kontoslag = Enkelt Konto")});
            c.messageSuffix = bg ? QStringLiteral("vid försök att radera en subtransaktion för "
                                                  "budgetkonto")
                                 : QStringLiteral(" vid försök att radera en subtransaktion för "
                                                  "enkelkonto");
            c.trailingLineFeeds = bg ? 1 : 0;
            return c;
        });
    if (done)
        Command1_Click();
}

} // namespace fyn
