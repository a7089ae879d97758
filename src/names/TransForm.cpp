// The main transaction dialog. The posting changes go through the posting
// engine; this file asks the user, keeps the name file and drives the main
// window.
#include "names/TransForm.h"

#include "core/Amount.h"
#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/Paths.h"
#include "core/PosFil.h"
#include "core/RecordFile.h"
#include "core/State.h"
#include "ledger/Account.h"
#include "ledger/Engine.h"
#include "ledger/TemplateMarks.h"
#include "mainwindow/HeadForm.h"
#include "mainwindow/PostingGrid.h"
#include "names/NameSupport.h"
#include "names/TransNames.h"
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

using platform::Answer;
using platform::Buttons;
using platform::Icon;
using platform::kArial;
using platform::makeControl;
using platform::placeTwips;
using platform::twips;
using platform::uiFont;

namespace {

const QString kControlTitle = QStringLiteral("Kontokontroll vid transaktionsändring");

bool is(const QString& value, const char* text) {
    return value == QLatin1String(text);
}

QString nameOf(const TransPost& t) {
    return t.TransNamn;
}

QString signWord(const QString& sign) {
    if (is(sign, "+"))
        return QStringLiteral("Inkomst");
    if (is(sign, "-"))
        return QStringLiteral("Utgift");
    return QString();
}

QString num(long n) {
    return QString::number(n);
}

// The postings of a transaction: |TransRef| is its record number.
long postingsOf(const ledger::PostingFile& f, long n, long ref) {
    long count = 0;
    for (long i = 1; i <= n; ++i) {
        bool ok = false;
        const long r = f.raw(i).mid(10, 4).trimmed().toLong(&ok);
        if (ok && (r == ref || r == -ref))
            ++count;
    }
    return count;
}

// The first posting of a transaction as its text fields stand, for the error
// dumps: nothing is read as a number, so a damaged field cannot fail the
// report. The edits write all or nothing, so what stands is also the result.
struct PostingFields {
    long record = 0;
    QString budg, verkl, budgSaldo, verklSaldo, diff; // simple: verkl and verklSaldo
};

PostingFields firstPostingOf(const ledger::PostingFile& f, long n, long ref) {
    PostingFields p;
    for (long i = 1; i <= n; ++i) {
        bool ok = false;
        const long r = f.raw(i).mid(10, 4).trimmed().toLong(&ok);
        if (!ok || (r != ref && r != -ref))
            continue;
        p.record = i;
        if (f.kind() == ledger::Kind::Budget) {
            const BudgetKontoPost b = f.budget(i);
            p.budg = trimBlanks(b.BudgBelopp);
            p.verkl = trimBlanks(b.VerklBelopp);
            p.budgSaldo = trimBlanks(b.BudgSaldo);
            p.verklSaldo = trimBlanks(b.VerklSaldo);
            p.diff = trimBlanks(b.SaldoDiff);
        } else {
            const EnkelKontoPost e = f.enkel(i);
            p.verkl = trimBlanks(e.Belopp);
            p.verklSaldo = trimBlanks(e.Saldo);
        }
        break;
    }
    return p;
}

// a - b for a dump, or nothing when either is no amount.
QString difference(const QString& a, const QString& b) {
    Amount x, y;
    return Amount::tryParse(a, x) && Amount::tryParse(b, y) ? (x - y).storage() : QString();
}

} // namespace

TransForm::TransForm(HeadForm& head) : QWidget(nullptr, Qt::Dialog), head_(head) {
    setObjectName(QStringLiteral("TransForm"));
    setWindowTitle(QStringLiteral("Ny/Ändrad huvudtransaktion"));
    setFont(uiFont(kArial, 9.75));

    QWidget* body = dialogBody(*this, hlp_mn, 20000, 6240, 3960, [this] { Command2_Click(); });

    Label1 = makeControl<QLabel>(body, "Label1", QStringLiteral("Transaktionsnamn"));
    placeTwips(Label1, 240, 120, 3720, 255);
    Text1 = makeControl<QLineEdit>(body, "Text1");
    placeTwips(Text1, 240, 400, 3720, 360);
    Label1->setBuddy(Text1);
    Text1->setAccessibleName(Label1->text());
    Text1->installEventFilter(this);

    Option1 = makeControl<QRadioButton>(body, "Option1", QStringLiteral("Ändra"));
    placeTwips(Option1, 4320, 360, 1680, 300);
    Option1->setToolTip(QStringLiteral("Byt text och/eller tecken"));
    Option2 = makeControl<QRadioButton>(body, "Option2", QStringLiteral("Radera"));
    placeTwips(Option2, 4320, 720, 1680, 300);
    Option2->setToolTip(QStringLiteral("Ta bort transaktion"));
    Option3 = makeControl<QRadioButton>(body, "Option3", QStringLiteral("Inkomst"));
    placeTwips(Option3, 240, 960, 1680, 300);
    Option3->setToolTip(QStringLiteral("Inkomstpost"));
    Option4 = makeControl<QRadioButton>(body, "Option4", QStringLiteral("Utgift"));
    placeTwips(Option4, 2040, 960, 1680, 300);
    Option4->setToolTip(QStringLiteral("Utgiftspost"));
    // Two pairs, not one group: the choice of what to do and the sign.
    optionGroup({Option1, Option2});
    optionGroup({Option3, Option4});

    Label2 = makeControl<QLabel>(body, "Label2");
    placeTwips(Label2, 240, 1380, 5760, 1560);
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    plainLabel(Label1);
    plainLabel(Label2);

    Command1 = makeControl<QPushButton>(body, "Command1", QStringLiteral("OK"));
    placeTwips(Command1, 240, 3240, 1800, 480);
    Command2 = makeControl<QPushButton>(body, "Command2", QStringLiteral("Avbryt transaktion"));
    placeTwips(Command2, 3120, 3240, 2880, 480);

    connect(Option1, &QRadioButton::clicked, this, &TransForm::Option1_MouseUp);
    connect(Option2, &QRadioButton::clicked, this, &TransForm::Option2_Click);
    connect(Option3, &QRadioButton::clicked, this, &TransForm::Option3_MouseUp);
    connect(Option4, &QRadioButton::clicked, this, &TransForm::Option4_MouseUp);
    connect(Command1, &QPushButton::clicked, this, &TransForm::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &TransForm::Command2_Click);
    // Not a Qt child of the main window (disabling it would disable the dialog),
    // so it goes with it.
    connect(&head_, &QObject::destroyed, this, [this] { delete this; });
}

bool TransForm::budget() const {
    return is(Module1.KontoSlag, "Bg");
}

bool TransForm::fromHead() const {
    return is(Module1.TransCaller, "head");
}

std::function<QWidget*(HeadForm&)> TransForm::budgetWindow;
std::function<void(HeadForm&)> TransForm::budgetConditions;

QWidget* TransForm::fromBudget() const {
    return is(Module1.TransCaller, "budg") && budgetWindow ? budgetWindow(head_) : nullptr;
}

// The budgeting dialog takes over again with its list brought up to date.
void TransForm::backToBudget() {
    QWidget* budg = fromBudget();
    if (!budg)
        return;
    budg->setEnabled(true);
    if (budgetConditions)
        budgetConditions(head_);
}

QLineEdit* TransForm::transText() const {
    return budget() ? head_.TransText_Budget : head_.TransText_Enkel;
}

QComboBox* TransForm::transCombo() const {
    return budget() ? head_.TransCombo_Budget : head_.TransCombo_Enkel;
}

// The main window's list, when it lists main transactions.
void TransForm::refillList() {
    if (is(budget() ? Module1.SOptBudg : Module1.SOptEnk, "1"))
        return;
    budget() ? head_.Ladda_H_Trans_Budg() : head_.Ladda_H_Trans_Enkel();
}

// A neutral transaction other than the account start.
bool TransForm::hasNeutral() const {
    const RecordFile& transakt = ledger::account().transakt;
    const long count = transakt.count();
    for (long n = 2; n <= count; ++n) {
        const TransPost t = transakt.get<TransPost>(n);
        if (trimBlanks(t.Tecken).isEmpty() && !trimBlanks(t.TransNamn).isEmpty())
            return true;
    }
    return false;
}

void TransForm::setHint(const QString& text, bool green) {
    QPalette p = Label2->palette();
    p.setColor(QPalette::WindowText,
               green ? QColor(0, 64, 0) : palette().color(QPalette::WindowText));
    Label2->setPalette(p);
    Label2->setText(text);
}

// ---- Opening and closing ------------------------------------------------------------

void TransForm::Form_Load() {
    record_ = 0;
    oldSign_.clear();
    renaming_ = false;
    QWidget* budg = fromBudget();
    showBeside(*this, budg ? *budg : static_cast<QWidget&>(head_), WindowPos::TransForm);
    for (QRadioButton* o : {Option1, Option2, Option3, Option4})
        uncheck(o);
    Command1->setEnabled(false);
    Text1->setToolTip(QString());
    Option3->setToolTip(QStringLiteral("Inkomstpost"));
    Option4->setToolTip(QStringLiteral("Utgiftspost"));
    setHint(QString());

    if (is(Module1.trfo, "ny")) {
        setWindowTitle(QStringLiteral("Nytt transaktionsnamn"));
        Option1->setEnabled(false);
        Option2->setEnabled(false);
        Option3->setEnabled(false);
        Option4->setEnabled(false);
        setHint(QStringLiteral("Skriv ett namn på transaktionen. Avsluta med Enter !"));
        Text1->clear();
        Text1->setReadOnly(false);
        Text1->setFocus();
        Command2->setText(QStringLiteral("Avbryt ny transaktion"));
    } else if (is(Module1.trfo, "chg")) {
        // The dialog acts on the name the user sees, never on a number left
        // over from an earlier choice.
        const RecordFile& transakt = ledger::account().transakt;
        const QString shown = trimBlanks(Module1.HuvudTrans);
        record_ = findName<TransPost>(transakt, shown, Module1.TransNr, nameOf);
        if (record_ == 0) {
            inform(QStringLiteral("Transaktionen '") + shown +
                       QStringLiteral("' finns inte i transaktionslistan.\n\n"
                                      "Ingenting har ändrats !"),
                   QStringLiteral("Transaktionen saknas"));
            Command2_Click();
            return;
        }
        const TransPost t = transakt.get<TransPost>(record_);
        Module1.TransNr = record_;
        Module1.HuvudTrans = shown;
        oldSign_ = t.Tecken;
        Module1.TransTecken = t.Tecken;
        setWindowTitle(QStringLiteral("Ändra/Radera transaktionsnamn"));
        Text1->setText(shown);
        Text1->setReadOnly(true);
        Option1->setEnabled(true);
        Option2->setEnabled(!accountStart());
        Option3->setEnabled(false);
        Option4->setEnabled(false);
        // The account start's postings must stay: it may only be renamed.
        setHint(accountStart()
                    ? QStringLiteral("Kontots standardtransaktion kan byta namn, men inte "
                                     "raderas eller byta tecken. Markera 'Ändra' !")
                    : QStringLiteral("Markera ett alternativ 'Ändra' eller 'Radera'"));
        Command2->setText(QStringLiteral("Avbryt transaktionsändr."));
        return;
    }
    if (is(Module1.HOptEnk, "1") && !hasNeutral())
        inform(
            QStringLiteral(
                "Om kontot är ett fondkonto, och transaktionen avser ett regelbundet uppdaterande "
                "av  kontot från ex.vis kontoutdrag på internet, kan en standardtransaktion "
                "skapas:\n\nFörslag: ex. \"Ändr. andelar & kurs\"eller något liknande adekvat "
                "namn.\n\nDå behöver transaktionen inte bindas till utgift eller inkomst, vilket "
                "ju kan variera från gång till annan !\n\nEtt klick på rubriken\"Saldo\", sedan "
                "kopiera och klistra in ett nytt saldo från internet, och programmet räknar fram "
                "och presenterar ändringen med denna standardtransaktion !\n\nOBS - fungerar "
                "endast med en enda sådan transaktion ! Övriga måste ha en koppling till utgift "
                "eller inkomst !"),
            QStringLiteral("Standardtransaktion för fondkonto"));
}

void TransForm::Command2_Click() {
    if (isVisible())
        positionQuietly([this] { storeWindowPosition(*this, WindowPos::TransForm); });
    if (fromHead()) {
        head_.setEnabled(true);
        transText()->clear();
        head_.Command3_Click();
    }
    QWidget* budg = fromBudget();
    backToBudget();
    Module1.trfo.clear();
    record_ = 0;
    renaming_ = false;
    hide();
    if (fromHead())
        head_.activateWindow();
    else if (budg)
        budg->activateWindow();
}

void TransForm::closeEvent(QCloseEvent* e) {
    // The close box cancels, as the cancel button does; the instance is kept.
    e->ignore();
    Command2_Click();
}

bool TransForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Text1 && platform::isEnterPress(e)) {
        Text1_KeyPress(13);
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

// ---- The choices ----------------------------------------------------------------------

void TransForm::Option1_MouseUp() {
    Option1->setChecked(true);
    const QString name = Module1.HuvudTrans;
    if (ask(QStringLiteral("Du kan förändra transaktionen\n\n") + name +
                QStringLiteral("\n\ntill annan text, genom att skriva in en ny sådan / editera i "
                               "textfältet !\n\nÄndringen kommer också att omfatta alla tidigare "
                               "poster som har denna transaktion !\n\nVill du ändra denna "
                               "transaktionstext ?"),
            kControlTitle)) {
        Option2->setEnabled(false);
        Text1->setReadOnly(false);
        Text1->setToolTip(QStringLiteral("Ändra eller ange nytt transaktionsnamn"));
        setHint(
            QStringLiteral("Ändra befintligt namn, eller skriv ett nytt\nTryck därefter ENTER !"),
            true);
        renaming_ = true;
        Text1->setFocus();
        return;
    }
    if (!accountStart() &&
        ask(QStringLiteral(
                "Alternativt är också möjligt ändra transaktionens identitet,d v s att skifta dess "
                "Inkomst till Utgift eller omvänt.\n\nHela kontot kommer därefter genomsökas efter "
                "transaktionen och för varje påträffad post omräknas efterföljande saldon !\n\n"
                "Beroende på kontots storlek, kan detta ta längre eller kortare tid.\n\nResultat "
                "meddelas efter genomgången !\n\nVill du  ändra transaktionens teckenidentitet ?"),
            QStringLiteral("Teckenbyte"))) {
        signOffer(QStringLiteral("Transaktionen har hittills gällt som "));
        return;
    }
    if (fromHead()) {
        head_.setEnabled(true);
        transText()->setText(name);
        head_.Command3_Click();
    }
    Module1.trfo.clear();
    Command2_Click();
}

void TransForm::signOffer(const QString& opening) {
    for (QRadioButton* o : {Option3, Option4}) {
        o->setEnabled(true);
        uncheck(o);
    }
    Option3->setToolTip(QStringLiteral("Sätt som Inkomstpost !"));
    Option4->setToolTip(QStringLiteral("Sätt som Utgiftspost !"));
    setHint(opening + signWord(oldSign_) +
            QStringLiteral("\nKlicka på fortsatt tillämpning, Inkomst eller Utgift !"));
    Option1->setEnabled(false);
    Option2->setEnabled(false);
}

void TransForm::Option2_Click() {
    if (accountStart())
        return;
    Option2->setChecked(true);
    const QString name = Module1.HuvudTrans;
    if (ask(QStringLiteral("Du vill radera transaktionen\n\n") + name +
                QStringLiteral(
                    "\n\nfrån detta konto ! ?\n\nEftersom du därmed tar bort en transaktion, som "
                    "kan ha använts tidigare i dina kontoposter, måste programmet söka igenom "
                    "dessa efter transaktionen.\n\n(Bör påpekas att om transaktionen förekommer "
                    "aktivt i kontot och raderas, med åtföljande omräkningar av saldo, riskerar "
                    "kontot att bli missvisande relativt verkligheten !\nEnstaka felaktigt inlagd "
                    "transaktion kan, med fördel, alltid tas bort genom att den markeras och 'Ta "
                    "bort' klickas.\nDå omräknas också efterföljande saldon !)\n\nBeroende på "
                    "kontots storlek, kan det ta mer eller mindre tid.\n\nUtfallet meddelas efter "
                    "genomgången !\n\nVill du ta bort transaktionen från kontot nu ?"),
            kControlTitle)) {
        if (is(Module1.KontoSlag, "Bg"))
            TransRadera_Budget();
        else if (is(Module1.KontoSlag, "Ek"))
            TransRadera_Enkel();
        return;
    }
    Module1.HuvudTrans.clear();
    Module1.TransTecken.clear();
    Text1->clear();
    Command2_Click();
}

void TransForm::Option3_MouseUp() {
    chooseSign(true);
}

void TransForm::Option4_MouseUp() {
    chooseSign(false);
}

void TransForm::chooseSign(bool income) {
    QRadioButton* chosen = income ? Option3 : Option4;
    chosen->setChecked(true);
    Module1.TransTecken = income ? QStringLiteral("+") : QStringLiteral("-");
    (income ? Option4 : Option3)->setEnabled(false);
    Command1->setEnabled(true);
    Command1->setFocus();
    const QString name = trimBlanks(Text1->text());
    const QString as = income ? QStringLiteral(" som Inkomst") : QStringLiteral(" som Utgift");
    const QString gap = income ? QStringLiteral("\n") : QStringLiteral("\n\n");
    if (is(Module1.trfo, "ny"))
        setHint(QStringLiteral("Nytt transaktionsnamn är ") + name + as + gap +
                QStringLiteral("Bekräfta med OK, eller avbryt med 'Avbryt ny transaktion'"));
    else
        setHint(QStringLiteral("Slutför ändringen av transaktionen till ") + name + as +
                QStringLiteral(" genom att klicka på OK.") + gap +
                QStringLiteral("Eller avbryt ändringen genom att klicka på 'Avbryt transaktion'"));
}

void TransForm::Text1_KeyPress(int keyAscii) {
    if (keyAscii != 13)
        return;
    // Stored as typed: leading blanks are kept, trailing ones are the field's
    // own padding.
    const QString typed = rtrimBlanks(Text1->text());
    if (is(Module1.trfo, "chg")) {
        if (!renaming_)
            return;
        if (const QString problem = nameProblem(typed); !problem.isEmpty()) {
            refuseName(problem);
            Text1->setFocus();
            return;
        }
        const Answer answer = platform::messages().show(
            QStringLiteral("Transaktionsnamnet har ändrats från\n\n") + Module1.HuvudTrans +
                QStringLiteral("\n\ntill\n\n") + typed +
                QStringLiteral("\n\nÄr ändringen OK ? (Återgå med 'Avbryt' !)"),
            Buttons::YesNoCancel, Icon::None, QStringLiteral("Ändrat transaktionsnamn"));
        if (answer == Answer::No) {
            Text1->setFocus();
            return;
        }
        if (answer == Answer::Cancel) {
            Text1->setText(Module1.HuvudTrans);
            Command2->setFocus();
            return;
        }
        // What was confirmed is what gets saved.
        Text1->setText(typed);
        Text1->setReadOnly(true);
        renaming_ = false;
        if (!accountStart() &&
            ask(QStringLiteral(
                    "Ändringen kan också omfatta transaktionens\nidentitet,d v s att den skiftar "
                    "Inkomst till\nUtgift eller omvänt.\n\nDet betyder att hela kontot kommer "
                    "genomsökas efter transaktionen och för varje påträffad post måste "
                    "efterföljande saldon omräknas !\n\nBeroende på kontots storlek, kan detta ta "
                    "längre eller kortare tid.\n\nResultat meddelas efter genomgången !\n\nVill du "
                    "fortsätta med att också ändra transaktionens teckenidentitet ?"),
                QStringLiteral("Teckenbyte"))) {
            signOffer(QStringLiteral("Transaktionsnamn ändrat, har hittills gällt som "));
            return;
        }
        Module1.HuvudTrans = typed;
        Module1.TransTecken = oldSign_;
        TransChange();
        return;
    }
    if (!is(Module1.trfo, "ny"))
        return;
    if (blankName(typed)) {
        if (ask(QStringLiteral("Inget namn har angivits på transaktionen !\n\n"
                               "Vill du avsluta och återvända till huvudformuläret ?"),
                QStringLiteral("Saknat transaktionsnamn"))) {
            Command2_Click();
        } else {
            uncheck(Option3);
            uncheck(Option4);
            Text1->setFocus();
        }
        return;
    }
    if (const QString problem = nameProblem(typed); !problem.isEmpty()) {
        refuseName(problem);
        Text1->setFocus();
        return;
    }
    setHint(QStringLiteral("Markera ev. transaktionen för 'Inkomst' eller 'Utgift'"));
    Option3->setEnabled(true);
    Option4->setEnabled(true);
    // The names are read from the file: a read that is refused is reported.
    bool neutral = true;
    if (is(Module1.HOptEnk, "1") &&
        !trap([&] { neutral = hasNeutral(); },
              [] {
                  return ErrorContext(
                      QStringLiteral("Text1_KeyPress"),
                      {QStringLiteral(" vid läsning av transaktionsregistret.")},
                      {QStringLiteral("vid läsning av transaktionsregistret"), kindLine()});
              }))
        return;
    if (is(Module1.HOptEnk, "1") && !neutral) {
        // A simple account's first neutral name: OK saves it without a sign.
        Module1.TransTecken.clear();
        Command1->setEnabled(true);
        Command1->setFocus();
    }
}

void TransForm::Command1_Click() {
    Command1->setEnabled(false);
    const QString name = rtrimBlanks(Text1->text());
    if (const QString problem = nameProblem(name); !problem.isEmpty()) {
        refuseName(problem);
        Command1->setEnabled(true);
        return;
    }
    if (is(Module1.trfo, "ny")) {
        Option3->setEnabled(false);
        Option4->setEnabled(false);
        Module1.HuvudTrans = name;
        TransSpar();
    } else if (is(Module1.trfo, "chg")) {
        Module1.HuvudTrans = name;
        TransChange();
    }
}

// ---- Rename and change of sign ------------------------------------------------------------

void TransForm::TransChange() {
    if (record_ < 1)
        return;
    const long record = record_;
    const bool bg = budget();
    QString oldName;
    QString newSign;
    ledger::TransactionEditResult result;
    const bool done = trap(
        [&] {
            const RecordFile& transakt = ledger::account().transakt;
            const QByteArray before = transakt.readRaw(record);
            const TransPost t = decodeRecord<TransPost>(before);
            oldName = trimBlanks(t.TransNamn);
            const bool resign =
                !accountStart() && trimBlanks(Module1.TransTecken) != trimBlanks(t.Tecken);
            newSign = resign ? Module1.TransTecken : t.Tecken;
            const TransPost renamed{Module1.HuvudTrans, newSign};
            if (!resign) {
                transakt.put(record, renamed);
                refillList();
                head_.refreshWithoutCheck();
                inform(QStringLiteral("Transaktionen  '") + oldName +
                           QStringLiteral("'\n\nhar nu bytts ut mot\n\n'") + Module1.HuvudTrans +
                           QStringLiteral("'\n\ni transaktionslistan"),
                       QStringLiteral("Transaktionsändring"));
                return;
            }
            ledger::TransactionEdit edit;
            edit.oldRef = record;
            edit.newRef = record;
            edit.resign = true;
            edit.newSign = newSign;
            edit.today = Module1.DagensDatum;
            // The name and its postings change in one commit.
            result = ledger::changeTransaction(
                ledger::account().kontoData, Module1.AntalPoster, edit,
                bg ? &ledger::account().bmall : nullptr,
                [&](WriteBatch& batch) { transakt.put(batch, record, renamed); });
            if (!result.ok()) {
                Module1.HuvudTrans = oldName; // nothing has changed
                showRefusal(result.refusal);
                return;
            }
            refillList();
            if (result.postNr == 0) {
                inform(QStringLiteral("Den ändrade transaktionen med teckenbyte, hittades inte i "
                                      "någon av kontoposterna....\n\nÄndringen är enbart "
                                      "genomförd i transaktionslistan !"),
                       QStringLiteral("Transaktionsändring"));
                return;
            }
            Module1.PostNr = result.postNr;
            head_.refreshWithCheck();
            inform(QStringLiteral("Kontopost(er) innehållande transaktionen\n\n") +
                       Module1.HuvudTrans +
                       QStringLiteral("\n\nhar nu justerats efter teckenbyte !\n\nKontoposterna "
                                      "har kontrollräknats efter operationen, och är korrekta !"),
                   QStringLiteral("Ändring av transaktion "));
        },
        [&] {
            QStringList dump{QStringLiteral("vid försök att ändra en transaktion"),
                             QStringLiteral("Transaktionsreferens ") + num(record),
                             QStringLiteral("Transaktion ") + Module1.HuvudTrans,
                             QStringLiteral("Teckenändring till [") + newSign + QLatin1Char(']'),
                             QStringLiteral("Postnr ") + num(Module1.PostNr),
                             QStringLiteral("Senaste markörpost ") + num(result.postNr),
                             QStringLiteral("Innehåll i transaktionsregister ") + oldName};
            const ledger::PostingFile& data = ledger::account().kontoData;
            const PostingFields p = firstPostingOf(data, Module1.AntalPoster, record);
            if (bg)
                dump << QStringLiteral("Pågående Budgetbelopp för ändr ") + p.budg
                     << QStringLiteral("Pågående Verkl.belopp för ändr ") + p.verkl
                     << QStringLiteral("Pågående Budg.saldo för ändr. ") + p.budgSaldo
                     << QStringLiteral("Pågående verkl.saldo för ändr ") + p.verklSaldo
                     << QStringLiteral("Res Budgetbelopp efter ändr ") + p.budg
                     << QStringLiteral("Res Verkl.belopp efter ändr ") + p.verkl
                     << QStringLiteral("Res Budg.saldo efter ändr. ") + p.budgSaldo
                     << QStringLiteral("Res verkl.saldo efter ändr ") + p.verklSaldo;
            else
                dump << QStringLiteral("Pågående Belopp för ändr ") + p.verkl
                     << QStringLiteral("Pågående Saldo för ändr. ") + p.verklSaldo
                     << QStringLiteral("Res Belopp efter ändr ") + p.verkl
                     << QStringLiteral("Res Saldo efter ändr. ") + p.verklSaldo;
            dump << QStringLiteral("Felet uppstod i konto ") + Module1.KontoNamn;
            return ErrorContext(QStringLiteral("TransChange"),
                                {QStringLiteral(" vid försök att ändra en transaktion.")}, dump);
        });
    if (!done)
        return;
    if (fromHead()) {
        head_.setEnabled(true);
        transText()->setText(Module1.HuvudTrans);
        head_.Command3_Click();
    }
    Module1.trfo.clear();
    Command2_Click();
}

// ---- A new name -------------------------------------------------------------------------

void TransForm::TransSpar() {
    const bool shown = isVisible();
    const QString name = rtrimBlanks(Module1.HuvudTrans);
    long slot = 0;
    SavedName saved;
    const bool ok = trap(
        [&] {
            saved = saveMainName(name, Module1.TransTecken, &slot);
            if (saved.record == 0)
                return;
            Module1.HuvudTrans = name;
            Module1.TransNr = saved.record;
            if (fromHead()) {
                head_.setEnabled(true);
                head_.Command2->setEnabled(false);
                refillList();
                transText()->setText(name);
                if (budget()) {
                    head_.BudgBel_Budget->setReadOnly(false);
                    head_.VerklBel_Budget->setReadOnly(false);
                    head_.BudgBel_Budget->setFocus();
                } else {
                    head_.Bel_Enkel->setReadOnly(false);
                    head_.Bel_Enkel->setFocus();
                }
                head_.Command3_Click();
            }
            if (fromBudget()) {
                refillList();
                backToBudget();
            }
        },
        [&] {
            return ErrorContext(
                QStringLiteral("TransSpar"),
                {QStringLiteral(" vid försök att spara ny eller ändrad transaktion.")},
                {QStringLiteral("vid spara ny eller ändrad transaktion."),
                 QStringLiteral("Antal poster i filen ") + num(Module1.AntalPoster),
                 QStringLiteral("Aktuell post för insättning ") + num(slot),
                 QStringLiteral("Transaktion ") + name,
                 QStringLiteral("Tecken  (") + Module1.TransTecken + QLatin1Char(')'),
                 QStringLiteral("Antal poster i transaktionsregister ") +
                     num(ledger::account().transakt.countForReport()),
                 kindLine(), QStringLiteral("Antal poster i Combo1 ") + num(transCombo()->count()),
                 QStringLiteral("Felet uppstod i konto ") + Module1.KontoNamn});
        });
    if (!ok)
        return;
    if (saved.record == 0) {
        refuseName(saved.problem);
        if (shown)
            Command1->setEnabled(true);
        return;
    }
    Module1.trfo.clear();
    Command2_Click();
    if (shown && fromHead())
        pickSaved();
}

// The window goes on as if the new name had been picked from its list: one
// amount and one "Lägg in" make one posting.
void TransForm::pickSaved() {
    QComboBox* combo = transCombo();
    const int i = combo->findData(qlonglong(Module1.TransNr));
    if (i < 0)
        return;
    combo->setCurrentIndex(i);
    budget() ? head_.TransCombo_Budget_Click() : head_.TransCombo_Enkel_Click();
}

// ---- Deletion ------------------------------------------------------------------------------

void TransForm::TransRadera_Budget() {
    TransRadera(true);
}

void TransForm::TransRadera_Enkel() {
    TransRadera(false);
}

// The postings of the transaction are every posting of the account: deleting
// it is deleting the account. Asked before anything is written.
bool TransForm::removeAccountInstead(long postings) {
    const bool bg = budget();
    const QString first = postings <= 1
                              ? (bg ? QStringLiteral("Du tar bort den enda posten på kontot.")
                                    : QStringLiteral("Du tar bort den enda posten på kontot !"))
                              : QStringLiteral("Du tar bort kontots samtliga %1 poster%2")
                                    .arg(postings)
                                    .arg(bg ? "." : " !");
    if (!ask(first + QStringLiteral("\n\nDärmed avslutar du också hela kontot !\n\n\n"
                                    "Vill du fortsätta ?"),
             QStringLiteral("Ta bort konto ? ?")))
        return false;
    // The dialog belongs to the account that goes: it closes first.
    Command2_Click();
    ledger::account().closeAll();
    (bg ? head_.G2 : head_.G1)->clearTexts();
    for (QLabel* l : bg ? QList<QLabel*>{head_.Label20, head_.Label21}
                        : QList<QLabel*>{head_.Label16, head_.Label17})
        l->clear();
    head_.Reducera_Konto();
    return true;
}

void TransForm::TransRadera(bool bg) {
    if (record_ < 2)
        return;
    const long record = record_;
    const QString name = Module1.HuvudTrans;
    ledger::RemovalResult result;
    long postings = 0;
    bool closeAfter = true;
    const bool done = trap(
        [&] {
            ledger::PostingFile& data = ledger::account().kontoData;
            postings = postingsOf(data, Module1.AntalPoster, record);
            if (postings > 0 && postings == Module1.AntalPoster) {
                closeAfter = false;
                removeAccountInstead(postings);
                return;
            }
            const RecordFile& transakt = ledger::account().transakt;
            const QString mallPath = accountFile(Module1.KontoNamn, QStringLiteral("B-mall"));
            // The name is blanked in the same commit as its postings go.
            result = ledger::removeTransactionPostings(
                data, Module1.AntalPoster, record, [&](WriteBatch& batch) {
                    transakt.put(batch, record, TransPost{QString(), QStringLiteral(" ")});
                    // A new name in the freed slot must not inherit the template.
                    if (bg)
                        ledger::orphanRecords(ledger::account().bmall, mallPath, batch, record);
                });
            if (!result.ok()) {
                showRefusal(result.refusal);
                return;
            }
            if (bg) {
                ledger::reopenTemplate(ledger::account().bmall, mallPath);
                Module1.MallAntal = ledger::account().bmall.count();
            }
            refillList();
            if (bg)
                head_.TransText_Budget->clear();
            const QString opening = QStringLiteral("Transaktionen\n\n") + name +
                                    QStringLiteral("\n\när nu raderad från listan !\n\n");
            if (postings == 0) {
                inform(opening +
                           QStringLiteral("Transaktionen hittades dock inte i någon av "
                                          "kontoposterna....") +
                           (bg ? QString() : QStringLiteral("\n")),
                       QStringLiteral("Transaktionsradering"));
                return;
            }
            Module1.AntalPoster = result.antalPoster;
            Module1.PostNr = std::max(1L, std::min(result.postNr, result.antalPoster));
            head_.refreshWithCheck();
            QString text = num(result.removed) +
                           QStringLiteral(" st. kontopost(er) innehållande transaktionen\n\n") +
                           name +
                           (bg ? QStringLiteral("\n\nhar nu avlägsnats !\n\n")
                               : QStringLiteral("\n\nhar avlägsnats !\n\n"));
            if (bg)
                text += QStringLiteral("(Totalsumman av borttagna Budgetbelopp är ") +
                        result.budgSum.storage() +
                        QStringLiteral(")\n\n(Totalsumman av borttagna Verkl.belopp är ") +
                        result.verklSum.storage() + QStringLiteral(")\n\n");
            else
                text += QStringLiteral("(Totalsumman av borttagna belopp är ") +
                        result.verklSum.storage() + QStringLiteral(")\n\n");
            text += QStringLiteral("Övriga kontoposter har kontrollräknats efter operationen, "
                                   "och är korrekta !\r\n");
            inform(text, bg ? QStringLiteral("Radering av transaktion ")
                            : QStringLiteral("Radering av transaktion"));
        },
        [&] {
            const QString routine =
                bg ? QStringLiteral("TransRadera_Budget") : QStringLiteral("TransRadera_Enkel");
            const QString context =
                bg ? QStringLiteral("vid försök att radera en transaktion för budgetkonto")
                   : QStringLiteral("vid försök att radera en transaktion för Enkelt konto");
            const PostingFields p =
                firstPostingOf(ledger::account().kontoData, Module1.AntalPoster, record);
            const QString length = QStringLiteral("Filpostlängd ") +
                                   num(bg ? BudgetKontoPost::Length : EnkelKontoPost::Length);
            const QString listed =
                QStringLiteral("Antal transaktioner i listan ") + num(transCombo()->count());
            QStringList dump{context, QStringLiteral("Angivet kontonamn ") + Module1.KontoNamn,
                             QStringLiteral("Angiven sökväg ") + dataFolder(),
                             QStringLiteral("Angivet bokf.val ") + Module1.KontoSlag,
                             QStringLiteral("Transaktion att radera ") + name};
            if (bg)
                dump << length << QStringLiteral("PostNr för saldokontr. ") + num(Module1.PostNr)
                     << QStringLiteral("Budgetbelopp för radering ") + p.budg
                     << QStringLiteral("Verkl. belopp för radering ") + p.verkl
                     << QStringLiteral("Framräknad beloppsdiff. ") + difference(p.verkl, p.budg)
                     << QStringLiteral("Löpande BudgetSaldo för subtraktion ") + p.budgSaldo
                     << QStringLiteral("Löpande Verkl. Saldo för subtraktion ") + p.verklSaldo
                     << QStringLiteral("Löpande SaldoDiff för subtraktion ") + p.diff
                     << QStringLiteral("Subtraherat BudgetSaldo ") + difference(p.budgSaldo, p.budg)
                     << QStringLiteral("Subtraherat Verkl. Saldo ") +
                            difference(p.verklSaldo, p.verkl);
            else
                dump << listed << length
                     << QStringLiteral("PostNr för saldokontr. ") + num(Module1.PostNr)
                     << QStringLiteral("Belopp för radering ") + p.verkl
                     << QStringLiteral("Löpande Saldo för subtraktion ") + p.verklSaldo
                     << QStringLiteral("Subtraherat Saldo ") + difference(p.verklSaldo, p.verkl);
            dump << QStringLiteral("Uppnådd filpost för subtraktion ") + num(p.record)
                 << QStringLiteral("Antalet filposter ") + num(Module1.AntalPoster);
            if (bg)
                dump << listed;
            dump << kindLine();
            return ErrorContext(routine, {QStringLiteral(" ") + context}, dump);
        });
    if (done && closeAfter)
        Command2_Click();
}

} // namespace fyn
