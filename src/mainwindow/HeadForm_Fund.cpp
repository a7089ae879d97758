// The fund account: a simple account brought to the balance the bank shows,
// through a neutral standard transaction and the balance entry.
#include "mainwindow/HeadForm.h"

#include "core/Errors.h"
#include "core/InsetBox.h"
#include "core/Numbers.h"
#include "core/RecordFile.h"
#include "core/State.h"
#include "ledger/Account.h"
#include "mainwindow/HandlerTexts.h"
#include "mainwindow/MsgForm.h"
#include "platform/ClickLabel.h"
#include "platform/Platform.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace fyn {

using platform::Buttons;
using platform::Icon;

namespace {

const QString kInfoText =
    QStringLiteral("...sker uppdateringen av kontot mestadels via kontosaldot hos bank."
                   " Det kan då kopieras från bankens hemsida / klistras in som"
                   " Nytt Saldo\n"
                   "\n"
                   "Klicka på rubriken 'Saldo' ! Då kan också en"
                   " standardtransaktion skapas för ändamålet\n"
                   "(ex. \"Ändrad andel/kurs\")\n"
                   "\n"
                   "Transaktionsbelopp framräknas slutligen av programmet, teckensätts"
                   " och läggs in automatiskt !");

const QString kAskText =
    QStringLiteral("Neutral transaktion används för uppdateringen av fondkontot,"
                   " gällande såväl positiva som negativa förändringar.\n"
                   "Transaktionen hämtas i samband med att saldo skrivs, alt. kopieras"
                   " in från ex. kontoutdrag !\n"
                   "Transaktionsbeloppet framräknas, teckensätts och läggs"
                   " in automatiskt !\n"
                   "\n"
                   "(Förslag på transaktionens benämning nedan:)");

bool simpleAccountOpen() {
    return Module1.KontoSlag == QLatin1String("Ek") && ledger::account().transakt.isOpen();
}

void colour(QLabel* label, const QColor& c) {
    QPalette p = label->palette();
    p.setColor(QPalette::Window, c);
    label->setPalette(p);
}

} // namespace

MsgForm* HeadForm::msgForm() const {
    return msgForm_.data();
}

// The first neutral name after the account start.
long HeadForm::standardTransaction() const {
    const RecordFile& transakt = ledger::account().transakt;
    const long count = transakt.count();
    for (long n = 2; n <= count; ++n) {
        const TransPost t = transakt.get<TransPost>(n);
        if (!trimBlanks(t.TransNamn).isEmpty() && trimBlanks(t.Tecken).isEmpty())
            return n;
    }
    return 0;
}

void HeadForm::Label12_MouseMove() {
    if (Module1.FondInfoFlag == QLatin1String("0")) {
        Label12->setToolTip(QString());
        return;
    }
    if (!simpleAccountOpen())
        return;
    long found = 0;
    if (!trap([&] { found = standardTransaction(); },
              [] {
                  return ErrorContext(QStringLiteral("Label12_MouseMove"),
                                      {QStringLiteral("vid sökning efter standardtransaktion")},
                                      {QStringLiteral("vid sökning efter standardtransaktion"),
                                       handler::kindLine(), handler::accountLine()});
              }))
        return;
    if (found > 0) {
        Label12->setToolTip(QStringLiteral("Klicka för direkt saldoinmatning !"));
        return;
    }
    Label12->setToolTip(QStringLiteral("Förenklad kontouppdatering"));
    if (!msgForm_)
        msgForm_ = new MsgForm(*this);
    MsgForm& m = *msgForm_;
    m.setWindowTitle(QStringLiteral("Om detta är ett fondkonto..."));
    m.Text1->setPlainText(kInfoText);
    m.Command3->setText(QStringLiteral("OK"));
    m.Command3->show();
    m.offerFor(Module1.KontoNum, Module1.KontoNamn);
    m.Form_Load();
}

void HeadForm::Label12_Click() {
    // Only from idle: a marking or another entry would take the balance.
    if (!Module1.Avb.isEmpty() || !simpleAccountOpen())
        return;
    // The information window's OK, which stores its place: it is loaded for
    // this when it has not been shown yet.
    if (!msgForm_)
        msgForm_ = new MsgForm(*this);
    msgForm_->load();
    msgForm_->Command3_Click();
    Skapa_StdTrans();
}

void HeadForm::Skapa_StdTrans() {
    bool cancelled = false;
    QString answer;
    long record = 0;
    trap(
        [&] {
            record = standardTransaction();
            if (record == 0) {
                answer = InsetInput(kAskText, QStringLiteral("Standardtransaktion för fondkonto"),
                                    QStringLiteral("Ändrad andel / kurs"));
                // Blanks are no name: as a cancel.
                if (trimBlanks(answer).isEmpty()) {
                    cancelled = true;
                    return;
                }
                Module1.HuvudTrans = answer;
                Module1.TransTecken.clear();
                Module1.TransCaller = QStringLiteral("head");
                QString problem;
                const long saved = saveTransName ? saveTransName(answer, QString(), &problem) : 0;
                if (saved == 0) {
                    if (!problem.isEmpty())
                        platform::messages().show(
                            problem + QStringLiteral("\n\nIngenting har sparats."), Buttons::Ok,
                            Icon::Warning, QStringLiteral("Ogiltigt namn"));
                    cancelled = true;
                    return;
                }
                if (Module1.SOptEnk != QLatin1String("1"))
                    Ladda_H_Trans_Enkel();
                colour(Label12, QColor(0, 255, 0));
                record = standardTransaction();
                if (record == 0) {
                    cancelled = true;
                    return;
                }
            }
            const TransPost t = ledger::account().transakt.get<TransPost>(record);
            Module1.HuvudTrans = trimBlanks(t.TransNamn);
            TransText_Enkel->setText(Module1.HuvudTrans);
            Module1.TransNr = record;
            Module1.TransTecken.clear();
            labelsToWorkDate();
            Module1.BelEditFlag = 0;
            VerklBelText.clear();
            Bel_Enkel->clear();
            Bel_Enkel->setReadOnly(false);
            Bel_Enkel->setFocus();
            platform::messages().show(QStringLiteral("Skriv eller kopiera in ett nytt uppdaterat "
                                                     "Saldo !"),
                                      Buttons::Ok, Icon::None, QStringLiteral("Fynlar"));
            Label11->setText(QStringLiteral("Nytt Saldo"));
            // Armed as "Beräkna" only once a balance is in.
            Command2->setText(QString());
            Command2->setEnabled(false);
            Module1.EditMode = QStringLiteral("inl");
            Command3->setText(QStringLiteral("Avbryt Saldo-In"));
            Module1.Avb = QStringLiteral("saldo");
            Module1.CancelFlag = QStringLiteral("1");
            SaldoInFlag = QStringLiteral("1");
            NyttSaldoText.clear();
        },
        [&] {
            return ErrorContext(QStringLiteral("Skapa_StdTrans"),
                                {QStringLiteral("vid skapande av standardtransaktion"),
                                 QStringLiteral("för fondkonto")},
                                {QStringLiteral("vid skapande av standardtransaktion"),
                                 QStringLiteral("Standardtransaktion ") + answer,
                                 QStringLiteral("Transaktionsreferens ") + QString::number(record),
                                 handler::kindLine(), handler::accountLine()});
        });
    if (cancelled)
        Command3_Click();
}

} // namespace fyn
