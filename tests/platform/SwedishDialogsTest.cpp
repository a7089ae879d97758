// Qt's own windows as the program shows them speak Swedish: the print box with
// its options and its properties (for a PDF file and, where a CUPS of the
// test's own can start, for a printer), the save box with a folder of files,
// and the menus of a text box, a spin box, a scroll bar and a read-only text.
// Every visible text, tooltip, list entry, header and the name and description
// a screen reader reads is gathered and held against Qt's English words.
#include "platform/FileDialogs.h"
#include "platform/Printer.h"
#include "support/PrivateCups.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Words of the English texts of those windows that no Swedish text holds.
const QStringList kEnglish = {
    "Print",       "Printer",     "Cancel",      "Options",   "Properties", "Name",
    "Location",    "Type",        "Output",      "File",      "Files",      "Size",
    "Date",        "Modified",    "Computer",    "Undo",      "Redo",       "Cut",
    "Copy",        "Paste",       "Delete",      "Select",    "Look",       "Back",
    "Forward",     "Parent",      "Directory",   "Folder",    "Create",     "New",
    "View",        "Detail",      "Sidebar",     "Save",      "Open",       "Yes",
    "Copies",      "Collate",     "Reverse",     "Color",     "Grayscale",  "Pages",
    "Page",        "Range",       "Current",     "Selection", "Double",     "Sided",
    "Binding",     "Off",         "Settings",    "Step",      "Up",         "Down",
    "Scroll",      "Here",        "Top",         "Bottom",    "Left",       "Right",
    "Edge",        "Local",       "Write",       "Preview",   "Paper",      "Width",
    "Height",      "Source",      "Orientation", "Portrait",  "Landscape",  "Margin",
    "Margins",     "Sheet",       "Job",         "Advanced",  "Banner",     "Billing",
    "Priority",    "Immediately", "Hold",        "Shift",     "Night",      "Weekend",
    "Specific",    "Time",        "None",        "Envelope",  "Postcard",   "Custom",
    "Millimeters", "Inches",      "Points",      "Drive",     "Unknown",    "bytes",
    "document",    "plain",       "Places",      "Bookmarks", "Show",       "hidden",
    "Rename",      "Remove",      "Recent",      "Please",    "the",        "of",
    "to",          "from"};

// The text as shown: without the marks of the underlined letters.
QString shown(QString t) {
    t.replace(QLatin1String("&&"), QChar(1));
    t.remove(QLatin1Char('&'));
    t.replace(QChar(1), QLatin1Char('&'));
    return t.trimmed();
}

QStringList englishIn(const QStringList& texts) {
    QStringList found;
    for (const QString& w : kEnglish) {
        const QRegularExpression word(QStringLiteral("(^|[^\\p{L}])") + w +
                                          QStringLiteral("($|[^\\p{L}])"),
                                      QRegularExpression::CaseInsensitiveOption);
        for (const QString& t : texts)
            if (word.match(t).hasMatch())
                found << w + QStringLiteral(" in \"") + t + QLatin1Char('"');
    }
    return found;
}

// What a window shows, and what a screen reader reads of it.
class Reader {
public:
    // Widgets whose texts are the print system's or the user's own.
    std::function<bool(const QWidget*)> skip = [](const QWidget*) { return false; };
    QStringList texts;

    void add(const QString& t) {
        const QString s = shown(t);
        // A path is the user's own.
        if (!s.isEmpty() && !s.startsWith(QLatin1Char('/')) && !texts.contains(s))
            texts << s;
    }

    void window(QWidget* w) {
        add(w->windowTitle());
        widget(w);
        for (QWidget* c : w->findChildren<QWidget*>())
            if (c->isVisible() && !skipped(c))
                widget(c);
        accessible(QAccessible::queryAccessibleInterface(w), 0);
    }

    void menu(QMenu* m) {
        for (QAction* a : m->actions())
            if (!a->isSeparator())
                add(a->text().section(QLatin1Char('\t'), 0, 0));
        accessible(QAccessible::queryAccessibleInterface(m), 0);
    }

private:
    bool skipped(const QWidget* w) const {
        for (; w; w = w->parentWidget())
            if (skip(w))
                return true;
        return false;
    }

    void widget(QWidget* w) {
        add(w->toolTip());
        add(w->accessibleName());
        add(w->accessibleDescription());
        if (auto* l = qobject_cast<QLabel*>(w))
            add(l->text());
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            add(b->text());
        if (auto* g = qobject_cast<QGroupBox*>(w))
            add(g->title());
        if (auto* t = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < t->count(); ++i)
                add(t->tabText(i));
        if (auto* c = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < c->count(); ++i)
                add(c->itemText(i));
        if (auto* e = qobject_cast<QLineEdit*>(w))
            add(e->placeholderText());
        if (auto* s = qobject_cast<QAbstractSpinBox*>(w))
            add(s->specialValueText()), add(s->text());
        if (auto* h = qobject_cast<QHeaderView*>(w); h && h->model())
            for (int i = 0; i < h->count(); ++i)
                if (!h->isSectionHidden(i))
                    add(h->model()->headerData(i, h->orientation()).toString());
        if (auto* v = qobject_cast<QAbstractItemView*>(w); v && v->model()) {
            const QModelIndex root = v->rootIndex();
            for (int r = 0; r < v->model()->rowCount(root); ++r)
                for (int c = 0; c < v->model()->columnCount(root); ++c)
                    add(v->model()->index(r, c, root).data().toString());
        }
    }

    void accessible(QAccessibleInterface* a, int depth) {
        if (!a || depth > 12 || a->state().invisible)
            return;
        if (QObject* o = a->object(); o && o->isWidgetType() && skipped(static_cast<QWidget*>(o)))
            return;
        add(a->text(QAccessible::Name));
        add(a->text(QAccessible::Description));
        for (int i = 0; i < a->childCount() && i < 400; ++i)
            accessible(a->child(i), depth + 1);
    }
};

// Runs step once the modal window that open() opens shows; whatever the step
// leaves open is closed, so that a failing check cannot hang the test.
void whileModal(const std::function<void()>& open, const std::function<void(QWidget&)>& step) {
    QWidget* before = QApplication::activeModalWidget();
    bool ran = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* m = QApplication::activeModalWidget();
        if (!m || m == before || ran)
            return;
        ran = true;
        poll.stop();
        step(*m);
        while ((m = QApplication::activeModalWidget()) && m != before)
            m->close();
    });
    poll.start();
    open();
    EXPECT_TRUE(ran) << "no window opened";
}

// A right click as the desktop sends it, through the window, where Qt makes
// the context menu of it.
void rightClick(QWidget* w, QPoint at) {
    QWidget* top = w->window();
    QTest::mouseClick(top->windowHandle(), Qt::RightButton, {}, w->mapTo(top, at));
}

// The texts of the menu a right click on w opens, the menu then closed with Esc.
QStringList contextMenu(QWidget* w, QPoint at = {}) {
    Reader r;
    bool done = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!m || done)
            return;
        done = true;
        poll.stop();
        r.menu(m);
        QTest::keyClick(m, Qt::Key_Escape);
    });
    poll.start();
    rightClick(w, at.isNull() ? w->rect().center() : at);
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 5000)) << "no menu opened";
    return r.texts;
}

QAbstractButton* buttonNamed(QWidget& in, const QString& text) {
    for (QAbstractButton* b : in.findChildren<QAbstractButton*>())
        if (b->isVisible() && shown(b->text()) == text)
            return b;
    return nullptr;
}

void click(QAbstractButton* b) {
    ASSERT_TRUE(b);
    QTest::mouseClick(b, Qt::LeftButton);
}

// A folder with a subfolder and two files, for the file boxes to list.
class FolderOfFiles {
public:
    FolderOfFiles() {
        EXPECT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Kvitton")));
        for (const auto& [name, bytes] :
             {std::pair{"kassabok.txt", QByteArray(3000, 'x')}, {"lista.pdf", "%PDF-1.4\n"}}) {
            QFile f(QDir(dir.path()).filePath(QString::fromLatin1(name)));
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
    }
    QString path() const { return dir.path(); }

private:
    QTemporaryDir dir;
};

// A file box read as it opens, then in its detail view once the folder's three
// entries are listed, then the menu of its name box; closed with "Avbryt".
struct FileBoxTexts {
    QStringList face, detail, nameMenu;
};

// A picture of a window beside the test program, to look at.
void picture(QWidget& w, const char* name) {
    EXPECT_TRUE(w.grab().toImage().save(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                                        QLatin1String(name)));
}

void readFileBox(QWidget& box, FileBoxTexts& seen, const char* pictureName) {
    Reader face, detail;
    face.window(&box);
    seen.face = face.texts;
    click(box.findChild<QAbstractButton*>(QStringLiteral("detailModeButton")));
    auto* view = box.findChild<QAbstractItemView*>(QStringLiteral("treeView"));
    ASSERT_TRUE(view && view->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return view->model()->rowCount(view->rootIndex()) == 3 &&
               !view->model()->index(0, 2, view->rootIndex()).data().toString().isEmpty();
    }));
    detail.window(&box);
    seen.detail = detail.texts;
    // Sizes, kinds and dates whole in their columns, not cut short.
    auto* tree = qobject_cast<QTreeView*>(view);
    ASSERT_TRUE(tree);
    QApplication::processEvents();
    for (int r = 0; r < 3; ++r)
        for (int c = 1; c < 4; ++c) {
            const QModelIndex i = view->model()->index(r, c, view->rootIndex());
            EXPECT_LE(view->fontMetrics().horizontalAdvance(i.data().toString()),
                      tree->columnWidth(c))
                << i.data().toString().toStdString();
        }
    if (pictureName)
        picture(box, pictureName);
    seen.nameMenu = contextMenu(box.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")));
    click(buttonNamed(box, QStringLiteral("Avbryt")));
}

// The print box, read: its first face, its options, its properties and, for
// a file, the file box of its "..." button.
struct PrintBoxTexts {
    QStringList face, options, properties, spinMenu;
    FileBoxTexts browse;
};

PrintBoxTexts readPrintBox(int printerRow, const std::function<bool(const QWidget*)>& skip) {
    PrintBoxTexts seen;
    const FolderOfFiles folder;
    auto printers = platform::makeQtPrinters();
    whileModal([&] { EXPECT_EQ(printers->setup(nullptr), nullptr); },
               [&](QWidget& box) {
                   auto* list = box.findChild<QComboBox*>(QStringLiteral("printers"));
                   ASSERT_TRUE(list);
                   list->setCurrentIndex(printerRow < 0 ? list->count() - 1 : printerRow);
                   Reader face;
                   face.skip = skip;
                   face.window(&box);
                   seen.face = face.texts;

                   click(buttonNamed(box, QStringLiteral("Alternativ >>")));
                   Reader options;
                   options.skip = skip;
                   auto* tabs = box.findChild<QTabWidget*>(QStringLiteral("tabs"));
                   ASSERT_TRUE(tabs);
                   for (int i = 0; i < tabs->count(); ++i) {
                       tabs->setCurrentIndex(i);
                       options.window(&box);
                   }
                   seen.options = options.texts;
                   if (printerRow < 0)
                       picture(box, "printbox.png");
                   auto* copies = box.findChild<QAbstractSpinBox*>(QStringLiteral("copies"));
                   ASSERT_TRUE(copies);
                   tabs->setCurrentWidget(tabs->findChild<QWidget*>(QStringLiteral("copiesTab")));
                   seen.spinMenu = contextMenu(copies);

                   whileModal([&] { click(buttonNamed(box, QStringLiteral("Egenskaper"))); },
                              [&](QWidget& props) {
                                  Reader r;
                                  r.skip = skip;
                                  for (QTabWidget* t : props.findChildren<QTabWidget*>())
                                      for (int i = 0; i < t->count(); ++i) {
                                          t->setCurrentIndex(i);
                                          r.window(&props);
                                      }
                                  seen.properties = r.texts;
                                  if (printerRow < 0) {
                                      props.findChild<QTabWidget*>()->setCurrentIndex(0);
                                      picture(props, "printbox-properties.png");
                                  }
                                  click(buttonNamed(props, QStringLiteral("Avbryt")));
                              });
                   if (printerRow < 0) {
                       auto* file = box.findChild<QLineEdit*>(QStringLiteral("filename"));
                       ASSERT_TRUE(file);
                       file->setText(folder.path() + QStringLiteral("/utskrift.pdf"));
                       whileModal(
                           [&] { click(buttonNamed(box, QStringLiteral("..."))); },
                           [&](QWidget& files) { readFileBox(files, seen.browse, nullptr); });
                   }
                   click(buttonNamed(box, QStringLiteral("Avbryt")));
               });
    return seen;
}

void expectSwedish(const QStringList& texts, const QStringList& known) {
    EXPECT_EQ(englishIn(texts).join(" / ").toStdString(), "") << texts.join(" | ").toStdString();
    for (const QString& k : known)
        EXPECT_TRUE(texts.contains(k))
            << k.toStdString() << " not in " << texts.join(" | ").toStdString();
}

const QStringList kSpinMenu = {"Ångra",   "Gör om",       "Klipp ut",  "Kopiera",  "Klistra in",
                               "Ta bort", "Markera allt", "Stega upp", "Stega ned"};

// The columns of a folder's list as the file boxes show them.
const QStringList kFolderList = {"Namn", "Storlek",      "Typ",    "Ändringsdatum",
                                 "Mapp", "PDF-dokument", "9 byte", "2,93 KiB"};
const QStringList kNameMenu = {"Ångra",      "Gör om",  "Klipp ut",    "Kopiera",
                               "Klistra in", "Ta bort", "Markera allt"};

void expectFolderList(const FileBoxTexts& seen) {
    expectSwedish(seen.detail, kFolderList);
    // Dates in the Swedish short form.
    EXPECT_GE(seen.detail.indexOf(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d$")), 0)
        << seen.detail.join(" | ").toStdString();
    expectSwedish(seen.nameMenu, kNameMenu);
}

TEST(SwedishDialogs, ThePrintBoxToAPdfFileSpeaksSwedishThroughout) {
    const PrintBoxTexts seen = readPrintBox(-1, [](const QWidget*) { return false; });
    expectSwedish(seen.face, {"Skriv ut", "Avbryt", "Alternativ >>", "Skrivare",
                              "Namn:", "Egenskaper", "Plats:", "Typ:", "Utdatafil:", "Lokal fil",
                              "Skriv en PDF-fil", "Skriv till fil (PDF)"});
    expectSwedish(seen.options, {"Alternativ <<", "Kopior", "Alternativ", "Utskriftsintervall",
                                 "Skriv ut alla", "Sidor från", "till", "Kopior:", "Omvänd ordning",
                                 "Färgläge", "Färg", "Gråskala", "Dubbelsidig utskrift", "Av"});
    expectSwedish(seen.spinMenu, kSpinMenu);
    expectSwedish(seen.properties,
                  {"Skrivarens egenskaper", "Sida", "Papper", "Pappersstorlek:", "Orientering",
                   "Stående", "Liggande", "Marginaler", "Millimeter (mm)",
                   "Sidor per ark:", "Sidordning:", "OK", "Avbryt"});
    expectSwedish(seen.browse.face, {"Skriv till fil ...", "Leta i:", "Filnamn:", "Filtyp:",
                                     "Spara", "Avbryt", "Alla filer (*)"});
    expectFolderList(seen.browse);
}

TEST(SwedishDialogs, ThePrintBoxToAPrinterSpeaksSwedishBesideThePrintersOwnTexts) {
    fyn::test::PrivateCups cups({QStringLiteral("Skrivaren")});
    if (!cups.running())
        GTEST_SKIP() << cups.reason().toStdString();
    // The queue's name, make, place, paper sizes and driver options are the
    // print system's.
    const QStringList theirs = {"printers", "type", "location", "pageSizeCombo",
                                "cupsPropertiesPage"};
    const PrintBoxTexts seen =
        readPrintBox(0, [&](const QWidget* w) { return theirs.contains(w->objectName()); });
    expectSwedish(seen.face,
                  {"Skriv ut", "Avbryt", "Alternativ >>", "Namn:", "Egenskaper", "Plats:", "Typ:"});
    expectSwedish(seen.options, {"Sidurval:", "Alla sidor", "Udda sidor", "Jämna sidor"});
    expectSwedish(seen.properties, {"Skrivarens egenskaper", "Sida", "Avancerat", "Jobbalternativ",
                                    "Jobbhantering", "Schemalagd utskrift:", "Skriv ut genast",
                                    "Försättsblad", "Början:", "Slut:", "Inget"});
}

TEST(SwedishDialogs, TheSaveBoxItsFolderListAndItsNameBoxsMenuSpeakSwedish) {
    const FolderOfFiles folder;
    auto boxes = platform::makeQtFileDialogs();
    FileBoxTexts seen;
    whileModal(
        [&] {
            EXPECT_EQ(
                boxes->saveFileName(nullptr, {folder.path(), QStringLiteral("Lista.txt"), {}}),
                QString());
        },
        [&](QWidget& box) { readFileBox(box, seen, "savebox.png"); });
    expectSwedish(seen.face, {"Spara som", "Spara i:", "Filnamn:", "Filformat:", "Spara", "Avbryt",
                              "Bakåt", "Framåt", "Överordnad mapp", "Skapa ny mapp", "Listvy",
                              "Detaljvy", "Dator", "Alla filer (*)"});
    expectFolderList(seen);
}

TEST(SwedishDialogs, TheMenusOfAScrollBarAndAReadOnlyTextSpeakSwedish) {
    QScrollBar bar(Qt::Vertical);
    bar.resize(20, 200);
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    expectSwedish(contextMenu(&bar), {"Rulla hit", "Överst", "Nederst", "En sida uppåt",
                                      "En sida nedåt", "Rulla uppåt", "Rulla nedåt"});

    QPlainTextEdit text(QStringLiteral("Saldo 100,00"));
    text.setReadOnly(true);
    text.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&text));
    text.selectAll();
    expectSwedish(contextMenu(text.viewport()), {"Kopiera", "Markera allt"});
}

} // namespace
