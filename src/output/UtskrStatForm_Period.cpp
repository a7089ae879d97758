// The output dialog's period: the date labels with their pop-up lists, the
// check of a changed period and the records it covers.
#include "core/Errors.h"
#include "core/Paths.h"
#include "core/State.h"
#include "ledger/Account.h"
#include "output/HandlerTrap.h"
#include "output/UtskrStatForm.h"
#include "platform/ClickLabel.h"
#include "platform/Platform.h"
#include "platform/Ui.h"

#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>

namespace fyn {

using platform::makeControl;
using platform::placeTwips;
using platform::twips;

namespace {

QString num(long n) {
    return QString::number(n);
}

struct PopUp {
    int labelNr;
    int left; // twips
};

} // namespace

void UtskrStatForm::buildPeriod() {
    Label3 = makeControl<QLabel>(this, "Label3", QStringLiteral("Tidsperiod"));
    placeTwips(Label3, 5385, 120, 3300, 255);

    auto datePart = [this](const char* name, int left, int width, const char* spoken) {
        auto* l = makeControl<platform::ClickLabel>(this, name);
        placeTwips(l, left, 390, width, 255);
        // Read by the date it shows, and what that date is.
        l->setAccessibleDescription(QString::fromUtf8(spoken));
        l->setFocusPolicy(Qt::StrongFocus);
        l->setCursor(Qt::PointingHandCursor);
        l->installEventFilter(this);
        return l;
    };
    auto dash = [this](const char* name, int left) {
        auto* l = makeControl<QLabel>(this, name, QStringLiteral("-"));
        placeTwips(l, left, 390, 120, 255);
        l->setAlignment(Qt::AlignCenter);
        return l;
    };
    Label7 = datePart("Label7", 5385, 540, "Startår");
    Label4 = dash("Label4", 5880);
    Label11 = datePart("Label11", 6045, 300, "Startmånad");
    Label5 = dash("Label5", 6307);
    Label9 = datePart("Label9", 6465, 300, "Startdag");
    Label6 = dash("Label6", 6900);
    Label6->setAccessibleName(QStringLiteral("till"));
    Label8 = datePart("Label8", 7185, 540, "Slutår");
    dash("Label29", 7680);
    Label12 = datePart("Label12", 7845, 300, "Slutmånad");
    dash("Label30", 8107);
    Label10 = datePart("Label10", 8265, 300, "Slutdag");

    Label14 = makeControl<QLabel>(this, "Label14");
    placeTwips(Label14, 5385, 720, 3300, 255);
    Label14->hide();

    auto list = [this](const char* name, int width, const char* spoken) {
        auto* l = makeControl<QListWidget>(this, name);
        l->resize(twips(width), twips(900));
        l->setAccessibleName(QString::fromUtf8(spoken));
        l->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        l->hide();
        return l;
    };
    List1 = list("List1", 960, "År");
    List2 = list("List2", 720, "Månad");
    List3 = list("List3", 720, "Dag");

    connect(Label7, &platform::ClickLabel::clicked, this, &UtskrStatForm::Label7_Click);
    connect(Label8, &platform::ClickLabel::clicked, this, &UtskrStatForm::Label8_Click);
    connect(Label9, &platform::ClickLabel::clicked, this, &UtskrStatForm::Label9_Click);
    connect(Label10, &platform::ClickLabel::clicked, this, &UtskrStatForm::Label10_Click);
    connect(Label11, &platform::ClickLabel::clicked, this, &UtskrStatForm::Label11_Click);
    connect(Label12, &platform::ClickLabel::clicked, this, &UtskrStatForm::Label12_Click);
    for (QListWidget* l : {List1, List2, List3}) {
        connect(l, &QListWidget::itemClicked, this, [this, l] { listChosen(l); });
        connect(l, &QListWidget::itemActivated, this, [this, l] { listChosen(l); });
    }
}

void UtskrStatForm::showPeriod() {
    Label7->setText(PeriodStartYear);
    Label11->setText(PeriodStartMonth);
    Label9->setText(PeriodStartDay);
    Label8->setText(PeriodStopYear);
    Label12->setText(PeriodStopMonth);
    Label10->setText(PeriodStopDay);
}

bool UtskrStatForm::InitDatum() {
    int examined = 0;
    return output::trapHandler(
        [&] {
            Data.clear();
            RecCount = 0;
            for (QString* p : {&PeriodStartYear, &PeriodStartMonth, &PeriodStartDay,
                               &PeriodStopYear, &PeriodStopMonth, &PeriodStopDay})
                p->clear();
            StartRec = 1;
            StopRec = 0;
            TopRec = 1;
            List1->clear();
            output::Kind kind;
            if (ledger::kindOf(OutKontoSlag, kind)) {
                Data.loadPostings(accountFolder(OutKontoNamn), kind);
                // Blank records at the end are no postings; a file of blank
                // records holds none.
                RecCount = Data.lastDated();
                examined = RecCount;
                if (RecCount > 0) {
                    const output::DateParts first = output::DateParts::of(Data.datum(1));
                    const output::DateParts last = output::DateParts::of(Data.datum(RecCount));
                    PeriodStartYear = first.year;
                    PeriodStartMonth = first.month;
                    PeriodStartDay = first.day;
                    PeriodStopYear = last.year;
                    PeriodStopMonth = last.month;
                    PeriodStopDay = last.day;
                }
                StopRec = RecCount;
                List1->addItems(output::yearList(PeriodStartYear, PeriodStopYear));
            }
            showPeriod();
            FileFirstDate = AcceptedStartDate = PeriodStartYear + PeriodStartMonth + PeriodStartDay;
            FileLastDate = AcceptedStopDate = PeriodStopYear + PeriodStopMonth + PeriodStopDay;
            Label14->show();
            Label14->setText(output::periodLabelText(true));
        },
        [&] {
            ErrorContext c(QStringLiteral("InitDatum"), {},
                           {QStringLiteral("Bokföringsval: ") + OutKontoSlag,
                            QStringLiteral("Kontonamn: ") + OutKontoNamn,
                            QStringLiteral("Antal record i filen: ") + num(RecCount),
                            QStringLiteral("Senaste sökrecord i filen: ") + num(examined),
                            QStringLiteral("Startår: ") + PeriodStartYear,
                            QStringLiteral("Inledande post: ") + num(StartRec)});
            c.messageSuffix =
                QStringLiteral(" i Utskriftsformulär vid hämtning av tidsbestämd fildel.");
            return c;
        },
        QStringLiteral(
            "Fel i rutinen InitDatum Utskriftsformulär vid filhämtning per tidsperiod."));
}

void UtskrStatForm::openList(int labelNr) {
    // The dates of no account are not changed.
    if (OutKontoNamn.isEmpty() || RecCount < 1)
        return;
    static const PopUp places[] = {{7, 5385},  {8, 7185}, {11, 6030},
                                   {12, 7845}, {9, 6445}, {10, 8260}};
    QListWidget* list = labelNr == 7 || labelNr == 8     ? List1
                        : labelNr == 11 || labelNr == 12 ? List2
                                                         : List3;
    hideLists();
    PeriodLabelNr = labelNr;
    if (list == List2) {
        List2->clear();
        List2->addItems(output::monthList());
    } else if (list == List3) {
        List3->clear();
        List3->addItems(labelNr == 9 ? output::dayList(PeriodStartYear, PeriodStartMonth)
                                     : output::dayList(PeriodStopYear, PeriodStopMonth));
    }
    for (const PopUp& p : places)
        if (p.labelNr == labelNr)
            list->move(twips(p.left), twips(610));
    list->setCurrentRow(-1);
    list->show();
    list->raise();
    list->setFocus();
}

void UtskrStatForm::Label7_Click() {
    openList(7);
}
void UtskrStatForm::Label8_Click() {
    openList(8);
}
void UtskrStatForm::Label11_Click() {
    openList(11);
}
void UtskrStatForm::Label12_Click() {
    openList(12);
}
void UtskrStatForm::Label9_Click() {
    openList(9);
}
void UtskrStatForm::Label10_Click() {
    openList(10);
}

void UtskrStatForm::hideLists() {
    for (QListWidget* l : {List1, List2, List3})
        l->hide();
}

void UtskrStatForm::Form_MouseUp() {
    hideLists();
}

void UtskrStatForm::listChosen(QListWidget* list) {
    if (list->currentRow() < 0 || list->isHidden())
        return;
    const QString value = list->currentItem()->text();
    list->hide();
    const int nr = PeriodLabelNr;
    if (list == List1 && (nr == 7 || nr == 8))
        (nr == 7 ? PeriodStartYear : PeriodStopYear) = value;
    else if (list == List2 && (nr == 11 || nr == 12))
        (nr == 11 ? PeriodStartMonth : PeriodStopMonth) = value;
    else if (list == List3 && (nr == 9 || nr == 10))
        (nr == 9 ? PeriodStartDay : PeriodStopDay) = value;
    showPeriod();
    Datum_Jmf();
}

void UtskrStatForm::List1_MouseUp() {
    listChosen(List1);
}
void UtskrStatForm::List2_MouseUp() {
    listChosen(List2);
}
void UtskrStatForm::List3_MouseUp() {
    listChosen(List3);
}

void UtskrStatForm::Datum_Jmf() {
    const QString start = PeriodStartYear + PeriodStartMonth + PeriodStartDay;
    const QString stop = PeriodStopYear + PeriodStopMonth + PeriodStopDay;
    bool refused = false;
    const bool ok = output::trapHandler(
        [&] {
            if (output::startAfterStop(start, stop)) {
                refused = true;
                return;
            }
            AcceptedStartDate = start;
            AcceptedStopDate = stop;
            Label14->setText(output::periodLabelText(
                output::coversWholeFile(start, stop, FileFirstDate, FileLastDate)));
            const output::PeriodRange r =
                output::periodRange(Data, RecCount, output::DateParts::ofCompact(start),
                                    output::DateParts::ofCompact(stop));
            StartRec = r.startRec;
            StopRec = r.stopRec;
            TopRec = StartRec;
        },
        [&] {
            ErrorContext c(QStringLiteral("Datum_Jmf"), {},
                           {QStringLiteral("Startdatum: ") + start,
                            QStringLiteral("Stoppdatum: ") + stop,
                            QStringLiteral("Antal record i filen B-mall: ") + num(RecCount),
                            QStringLiteral("Senaste sökrecord i filen: ") + num(StopRec),
                            QStringLiteral("Aktuellt Bokföringsval: ") + OutKontoSlag,
                            QStringLiteral("Aktuell startpunkt: ") + num(StartRec),
                            QStringLiteral("Aktuell stopp-punkt: ") + num(StopRec),
                            QStringLiteral("Växel CH5: ") + num(StatMode)});
            c.messageSuffix =
                QStringLiteral(" i Utskriftsformulär vid försök att sätta tidsperiod.");
            return c;
        },
        QStringLiteral("Fel i rutinen Datum_Jmf i Utskriftsformulär vid sättning tidsperiod"));
    if (refused) {
        platform::messages().show(QStringLiteral("Startdatum får inte vara > Slutdatum !\n\n"
                                                 " Datumändringen återtas !"),
                                  platform::Buttons::Ok, platform::Icon::Warning,
                                  QStringLiteral("Felaktig datumsättning för tidsperiod"));
        const output::DateParts a = output::DateParts::ofCompact(AcceptedStartDate);
        const output::DateParts b = output::DateParts::ofCompact(AcceptedStopDate);
        PeriodStartYear = a.year;
        PeriodStartMonth = a.month;
        PeriodStartDay = a.day;
        PeriodStopYear = b.year;
        PeriodStopMonth = b.month;
        PeriodStopDay = b.day;
        showPeriod();
        return;
    }
    if (!ok)
        return;
    if (StatMode == 1) {
        // Only a statistics result standing on the screen follows the period
        // at once; a file or the printer waits for "Utskrift".
        if (StatOnScreen && Option1->isChecked() && !StatTransNamn.isEmpty()) {
            OutputLevel.clear();
            Trans_Stat();
        }
        return;
    }
    // A ledger table on the screen shows the new period at once.
    if (!Frame1->isHidden() && OutputLevel.startsWith(QLatin1String("Pr_")) &&
        OutputLevel != QLatin1String("Pr_7"))
        UtskrLevel();
}

void UtskrStatForm::Datum_Reset() {
    const output::DateParts start{PeriodStartYear, PeriodStartMonth, PeriodStartDay};
    const output::DateParts stop{PeriodStopYear, PeriodStopMonth, PeriodStopDay};
    output::trapHandler(
        [&] {
            output::Kind kind;
            if (ledger::kindOf(OutKontoSlag, kind) && RecCount > 0) {
                const output::PeriodRange r = output::periodRange(Data, RecCount, start, stop);
                StartRec = r.startRec;
                StopRec = r.stopRec;
            } else {
                StartRec = 1;
                StopRec = 0;
            }
            TopRec = StartRec;
        },
        [&] {
            ErrorContext c(QStringLiteral("Datum_Reset"), {},
                           {QStringLiteral("Startdatum: ") + QString::fromLatin1(start.datum()),
                            QStringLiteral("EndDatum: ") + QString::fromLatin1(stop.datum()),
                            QStringLiteral("Bokföringsval: ") + OutKontoSlag,
                            QStringLiteral("Senaste sökrecord: ") + num(StartRec),
                            QStringLiteral("Sista record i filen: ") + num(RecCount)});
            c.messageSuffix = QStringLiteral(" vid uppdatering av start- och end i tidsperiod.");
            return c;
        },
        QStringLiteral("Fel i rutinen Datum_Reset vid vid uppdat start- och end tidsperiod"));
}

} // namespace fyn
