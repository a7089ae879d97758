// The output dialog's statistics of one main transaction: the postings
// gathered over the period, the summary, and the result on the screen, where
// it pages as a listing does and offers its diagram.
#include "core/Codec1252.h"
#include "core/Errors.h"
#include "core/State.h"
#include "output/HandlerTrap.h"
#include "output/UtskrStatForm.h"
#include "platform/DrawingArea.h"
#include "platform/Platform.h"
#include "platform/Ui.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

namespace fyn {

using platform::kArial;
using platform::makeControl;
using platform::placeTwips;
using platform::twips;
using platform::uiFont;

namespace {

constexpr int kTallHeight = 8280;
constexpr int kGridLeft = 250;
constexpr int kGridRowsHeight = 4130;
constexpr int kColumnWidths[] = {1100, 2300, 1300};

QString num(long n) {
    return QString::number(n);
}

} // namespace

void UtskrStatForm::buildStatistics() {
    // The title and the summary stand beside the statistics table.
    Label26 = makeControl<QLabel>(this, "Label26");
    placeTwips(Label26, 240, 2760, 4000, 300);
    Label26->setFont(uiFont(kArial, 9.75, true));
    Label26->hide();
    Label27 = makeControl<QLabel>(this, "Label27");
    placeTwips(Label27, 240, 3120, 4000, 1200);
    Label27->setWordWrap(true);
    Label27->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label27->hide();

    // Beside the statistics table's frame rather than over its corner.
    Command8 = makeControl<QPushButton>(this, "Command8", QStringLiteral("Visa diagram"));
    placeTwips(Command8, 10200, 7275, 1815, 465);
    Command8->setFont(uiFont(kArial, 9.75, true));
    Command8->setAutoDefault(false);
    Command8->hide();

    Picture1 = makeControl<platform::DrawingArea>(this, "Picture1");
    placeTwips(Picture1, 840, 2640, 12945, 4935);
    QPalette pal = Picture1->palette();
    pal.setColor(QPalette::Window, QColor(224, 224, 224));
    Picture1->setPalette(pal);
    Picture1->setDrawFont(uiFont(platform::kArialNarrow, 8.25));
    Picture1->setAccessibleName(QStringLiteral("Diagram"));
    Picture1->hide();
    auto label = [this](const char* name, const QString& text, int left, int top, int width,
                        int height, double points) {
        auto* l = makeControl<QLabel>(Picture1, name, text);
        placeTwips(l, left, top, width, height);
        l->setFont(uiFont(kArial, points));
        return l;
    };
    L7 = label("L7", {}, 1440, 0, 9615, 330, 9);
    L7->setAlignment(Qt::AlignCenter);
    L9 = label("L9", QStringLiteral("Kr."), 11840, 100, 430, 255, 9.75);
    L8 = label("L8", QStringLiteral("Dag:"), 360, 3840, 435, 255, 9);
    L6 = label("L6", {}, 5280, 4470, 1575, 300, 9.75);
    auto button = [this](const char* name, const QString& text, int left, int width) {
        auto* b = makeControl<QPushButton>(Picture1, name, text);
        placeTwips(b, left, 4440, width, 375);
        b->setFont(uiFont(kArial, 9.75, true));
        b->setAutoDefault(false);
        return b;
    };
    Command9 = button("Command9", QStringLiteral("Nästa"), 1680, 1500);
    Command10 = button("Command10", QStringLiteral("Avsluta diagram"), 9480, 2055);

    connect(Command8, &QPushButton::clicked, this, &UtskrStatForm::Command8_Click);
    connect(Command9, &QPushButton::clicked, this, &UtskrStatForm::Command9_Click);
    connect(Command10, &QPushButton::clicked, this, &UtskrStatForm::Command10_Click);
}

void UtskrStatForm::Trans_Stat() {
    // Only a transaction chosen in this statistics session is counted.
    if (StatMode != 1 || StatTransNamn.isEmpty() || StatTransNr < 1)
        return;
    // Nothing of an earlier run stays: no diagram, and no way into one.
    closeDiagram();
    Command8->hide();
    Stat = {};
    StatSummary.clear();
    StatCount = 0;
    Datum_Reset();
    output::StatProgress progress;
    const bool gathered = output::trapHandler(
        [&] {
            Stat = output::gatherStatistics(Data, StatTransNr, TopRec, StopRec, progress);
            if (Stat.count() > 0) {
                StatCount = Stat.count() - 1;
                StatSummary = output::statSummary(Stat.count(), Stat.total);
            }
        },
        [&] {
            ErrorContext c(QStringLiteral("Trans_Stat"), {},
                           {QStringLiteral("Antal poster i matrisen: ") + num(StatCount),
                            QStringLiteral("Bokföringsval: ") + OutKontoSlag,
                            QStringLiteral("Skapad summering: ") + StatSummary});
            c.messageSuffix = QStringLiteral(" vid utskriftsförsök av statistik till skärm.");
            return c;
        },
        QStringLiteral("Fel i rutinen Trans_Stat vid utskriftsförsök skärm av trans.statistik"));
    if (!gathered) {
        Stat = {};
        return;
    }

    if (Stat.count() == 0) {
        if (Option1->isChecked()) {
            // The notice stands in an empty statistics table of its own.
            setFormHeight(kTallHeight);
            OutputLevel.clear();
            layoutStatTable();
            OutputLevel.clear();
            Grid1->clearContents();
            Grid1->show();
            for (QPushButton* b : {Command4, Command5, Command6, Command7})
                b->setEnabled(false);
            Label27->setText(
                QStringLiteral("Ingen förekomst av transaktionen under tidsperioden !"));
            StatOnScreen = true;
        } else if (Option2->isChecked() || Option3->isChecked()) {
            platform::messages().show(
                QStringLiteral("Ingen förekomst av transaktionen under angiven tidsperiod !"),
                platform::Buttons::Ok, platform::Icon::Information,
                QStringLiteral("Statistikupptagning av ") + StatTransNamn);
            Avbr_Statistik();
        }
        return;
    }

    if (Option1->isChecked()) {
        setFormHeight(kTallHeight);
        OutputLevel.clear();
        // A line that wraps: never inside an amount. The grids' cells are one
        // line each, and keep the listing's own text.
        Label27->setText(output::screenText(StatSummary));
        Grid1->clearContents();
        Command8->show();
        Command8->raise();
        StatOnScreen = true;
        ScPr_7();
    } else if (Option2->isChecked()) {
        FilPr_7();
    } else if (Option3->isChecked()) {
        PriPr_7();
    }
}

void UtskrStatForm::layoutStatTable() {
    StartRec = 1;
    TopRec = 1;
    StopRec = StatCount + 1;
    placeTwips(Frame1, 4460, 2640, 5600, 5100);
    for (QLabel* l : Frame1->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        l->hide();
    placeTwips(Label15, 265, 220, kColumnWidths[0] - 15, 255);
    Label15->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    placeTwips(Label17, kGridLeft + kColumnWidths[0], 220, kColumnWidths[1], 255);
    Label17->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Over the right-aligned amounts, ending where they end.
    placeTwips(Label24, kGridLeft + kColumnWidths[0] + kColumnWidths[1] + 60, 240,
               kColumnWidths[2] - 120, 255);
    Label24->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLabel* l : {Label15, Label17, Label24})
        l->show();

    Grid1->setColumnCount(3);
    placeTwips(Grid1, kGridLeft, 480, 4750, kGridRowsHeight);
    for (int i = 0; i < 3; ++i)
        Grid1->setColumnWidth(i, twips(kColumnWidths[i]));
    const int right = Grid1->x() + Grid1->width();
    for (QPushButton* b : {Command4, Command5, Command6, Command7})
        b->move(right, b->y());
    Frame1->show();
    Label26->setText(QStringLiteral("Statistik ") + StatTransNamn);
    Label26->show();
    Label27->show();
    OutputLevel = QStringLiteral("Pr_7");
}

void UtskrStatForm::drawStatRows() {
    static const Qt::Alignment kAlign[] = {Qt::AlignHCenter | Qt::AlignVCenter,
                                           Qt::AlignLeft | Qt::AlignVCenter,
                                           Qt::AlignRight | Qt::AlignVCenter};
    CurrentLine.setSize(3);
    int r = 0;
    for (int i = TopRec; i <= TopRec + output::kPageRows - 1 && i <= StopRec; ++i, ++r) {
        CurrentRecord = i;
        const output::StatRow& row = Stat.rows.at(size_t(i - 1));
        CurrentLine.set(0, row.dateText());
        CurrentLine.set(1, row.subText());
        CurrentLine.set(2, row.amount());
        for (int c = 0; c < 3; ++c) {
            auto* cell = new QTableWidgetItem(CurrentLine.text(c));
            cell->setTextAlignment(kAlign[c]);
            Grid1->setItem(r, c, cell);
        }
    }
    for (; r < output::kPageRows; ++r)
        for (int c = 0; c < Grid1->columnCount(); ++c)
            delete Grid1->takeItem(r, c);
}

void UtskrStatForm::ScPr_7() {
    output::trapHandler(
        [&] {
            Grid1->hide();
            if (OutputLevel.isEmpty())
                layoutStatTable();
            drawStatRows();
            Grid1->show();
            ScrollButtons();
        },
        [&] {
            ErrorContext c(QStringLiteral("ScPr_7"), {},
                           {QStringLiteral("GridSetting: ") + OutputLevel,
                            QStringLiteral("Stopprecord i matrisen: ") + num(StopRec),
                            QStringLiteral("Hämtad bokföringsdag: ") + CurrentLine.text(0),
                            QStringLiteral("Hämtad subtransaktion: ") + CurrentLine.text(1),
                            QStringLiteral("Hämtat belopp: ") + CurrentLine.text(2)});
            c.messageSuffix = QStringLiteral(" vid utskriftsförsök till skärm av statistik.");
            return c;
        },
        QStringLiteral("Fel i rutinen ScPr_7 vid utskriftsförsök skärm av trans.statistik"));
}

// ---- The diagram -------------------------------------------------------------------

void UtskrStatForm::Command8_Click() {
    Diagram_Setup();
    Command8->hide();
}

void UtskrStatForm::Command9_Click() {
    Picture1->clear();
    DiagramSkapa();
}

void UtskrStatForm::Command10_Click() {
    L6->clear();
    L7->clear();
    Picture1->clear();
    Picture1->hide();
    // The table the diagram covered comes back as it was.
    for (QWidget* w : std::initializer_list<QWidget*>{Frame1, Label26, Label27})
        w->show();
    Command8->show();
}

void UtskrStatForm::closeDiagram() {
    if (!Picture1->isHidden())
        Command10_Click();
}

void UtskrStatForm::Diagram_Setup() {
    L7->setText(QStringLiteral("Transaktion: '") + StatTransNamn + QStringLiteral("' i konto: ") +
                OutKontoNamn + QStringLiteral(" under tidsperiod ") + PeriodStartYear +
                QLatin1Char('-') + PeriodStartMonth + QLatin1Char('-') + PeriodStartDay +
                QStringLiteral(" - ") + PeriodStopYear + QLatin1Char('-') + PeriodStopMonth +
                QLatin1Char('-') + PeriodStopDay);
    Picture1->show();
    Picture1->raise();
    // Nothing of the table lies out beside the diagram that covers it.
    for (QWidget* w : std::initializer_list<QWidget*>{Frame1, Label26, Label27})
        w->hide();
    Diagram = output::DiagramPaging{1, StatCount + 1, 1, false};
    // "Från början" of a short diagram before must not keep this one from paging.
    Command9->setEnabled(true);
    DiagramSkapa();
}

void UtskrStatForm::DiagramSkapa() {
    output::DiagramPage page;
    output::DiagramDrawn drawn;
    const int firstEntry = Diagram.topRec;
    output::trapHandler(
        [&] {
            page = output::fillDiagramPage(Stat, Diagram);
            Command9->setText(page.command9);
            if (page.command9Enabled)
                Command9->setEnabled(*page.command9Enabled);
            D22 = page.b;
            drawn = output::drawDiagramPage(*Picture1, Stat, page,
                                            StatTransTecken == QLatin1String("-"));
            XF = drawn.xf;
            if (drawn.yearLabel)
                L6->setText(*drawn.yearLabel);
        },
        [&] {
            const int last = page.b > 0 ? page.entry[size_t(page.b)] : firstEntry;
            const QString year =
                page.b > 0
                    ? QString::fromLatin1(Stat.rows[size_t(page.entry[1] - 1)].date.data(), 4)
                    : QString();
            ErrorContext c(
                QStringLiteral("DiagramSkapa"), {},
                {QStringLiteral("Högsta beloppssumma: ") + num(long(page.largest)),
                 QStringLiteral("Antal införda matrisposter (B): ") + num(page.b),
                 QStringLiteral("Första utskriftspost på matris (Pnu): ") + num(Diagram.topRec),
                 QStringLiteral("Sista utskriftspost på matris (Pex): ") + num(Diagram.stopRec),
                 QStringLiteral("Senast hämtade utskriftspost (A): ") + num(last),
                 QStringLiteral("Antal införda matrisposter (D22): ") + num(D22),
                 QStringLiteral("Växeln 'Matris': ") +
                     (Diagram.more ? QStringLiteral("1") : QStringLiteral("0")),
                 QStringLiteral("Tecken: ") + StatTransTecken,
                 QStringLiteral("Växeln 'TV': ") + num(drawn.tv),
                 QStringLiteral("Växeln 'XF': ") + num(XF),
                 QStringLiteral("Första x-pos för kurvan (G): ") + QString::number(drawn.pen.x()),
                 QStringLiteral("Årtal för aktuell period: ") + year,
                 QStringLiteral("Beloppsvärde (H) för kurvan: ") + QString::number(drawn.pen.y()),
                 QStringLiteral("Framräknat medelvärde (MV): ") + QString::number(drawn.mean)});
            c.messageSuffix = QStringLiteral(" vid försök rita diagramkurva.");
            return c;
        },
        QStringLiteral("Fel i rutinen DiagramSkapa vid försök rita diagramkurva."));
}

} // namespace fyn
