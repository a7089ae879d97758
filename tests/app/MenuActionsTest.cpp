// Every menu item of the main window, run as a program would (QAction::trigger)
// and as a screen reader does (the item's press action on the accessibility
// tree): it runs while the window is idle, and nothing runs while a dialog has
// the window disabled or, for the items an entry locks, while an entry is under
// way.
#include "app/ProgramDriver.h"

#include <QAccessible>
#include <QAccessibleActionInterface>

using namespace fyn;
using platform::Answer;

namespace {

// What the user would notice happen from a point on: windows shown, boxes
// asked (or left unanswered), help topics and addresses opened, the program
// ended, the work mode and the main window's state changed.
class Effects {
public:
    Effects(platform::testing::FakePlatform& fakes, HeadForm& f) : fakes_(fakes), f_(f) {
        restart();
    }
    void restart() {
        windows_ = shown();
        boxes_ = fakes_.messages->calls.size();
        topics_ = fakes_.help->contexts.size();
        urls_ = fakes_.shell->opened.size();
        ends_ = fakes_.end->ends;
        avb_ = Module1.Avb;
        enabled_ = f_.isEnabled();
        unanswered_.clear();
    }
    // Runs how; an unscripted question or the program's end is noted.
    void run(const std::function<void()>& how) {
        try {
            how();
        } catch (const platform::testing::UnscriptedCall& c) {
            unanswered_ << "unanswered " + c.what;
        } catch (const platform::testing::ProgramEnded&) {
        }
    }
    QStringList since() const {
        QStringList seen;
        for (const QString& w : shown())
            if (!windows_.contains(w))
                seen << "window " + w;
        for (size_t i = boxes_; i < fakes_.messages->calls.size(); ++i)
            seen << "box " + fakes_.messages->calls[i].title;
        seen << unanswered_;
        for (size_t i = topics_; i < fakes_.help->contexts.size(); ++i)
            seen << "help " + QString::number(fakes_.help->contexts[i]);
        for (qsizetype i = urls_; i < fakes_.shell->opened.size(); ++i)
            seen << "url " + fakes_.shell->opened[i];
        if (fakes_.end->ends != ends_)
            seen << "ended";
        if (Module1.Avb != avb_)
            seen << "Avb " + Module1.Avb;
        if (f_.isEnabled() != enabled_)
            seen << (f_.isEnabled() ? "main enabled" : "main disabled");
        return seen;
    }

private:
    static QStringList shown() {
        QStringList names;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (!w->parentWidget() && w->isVisible() && w->objectName().endsWith("Form"))
                names << w->objectName();
        return names;
    }
    platform::testing::FakePlatform& fakes_;
    HeadForm& f_;
    QStringList windows_, unanswered_;
    size_t boxes_ = 0, topics_ = 0;
    qsizetype urls_ = 0;
    int ends_ = 0;
    QString avb_;
    bool enabled_ = true;
};

QAccessibleInterface* childNamed(QAccessibleInterface* parent, const QString& name) {
    for (int i = 0; parent && i < parent->childCount(); ++i)
        if (QAccessibleInterface* c = parent->child(i); c && c->text(QAccessible::Name) == name)
            return c;
    return nullptr;
}

// The item as a screen reader finds it: the window's menu bar, the menu by
// its name, the item in it by its name.
QAccessibleInterface* menuItem(HeadForm& f, const QString& menu, const QString& item) {
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&f);
    QAccessibleInterface* bar = nullptr;
    for (int i = 0; window && i < window->childCount(); ++i)
        if (window->child(i)->role() == QAccessible::MenuBar)
            bar = window->child(i);
    QAccessibleInterface* title = childNamed(bar, menu);
    if (!title || title->childCount() != 1)
        return nullptr;
    return childNamed(title->child(0), item);
}

using MenuActions = test::ProgramTest;

TEST_F(MenuActions, EachItemRunsByEitherRoadOnlyWhileTheWindowAllowsIt) {
    HeadForm& f = startProgram();
    const QString updates = platform::authorServer().webBase + "Bugfix/BuggFix_Fynlar.php";
    const QString ark = "Arkiv", info = "Info/Hjälp (F1)";
    const struct {
        QString menu, caption; // as a screen reader reads them
        const char* item;
        QStringList runs;  // what it does when it runs
        bool entryLocks;   // waits while an entry is under way
        bool asks = false; // a question, answered No
    } items[] = {
        {ark, "Nytt konto", "Nykonto_mn", {"box Nytt konto"}, true, true},
        {ark, "Radera inloggat Konto", "Radko_mn", {"box Ta bort konto ? ?"}, true, true},
        {ark,
         "Budgetplanering",
         "bupl_mn",
         {"window BudgAltForm", "Avb budg", "main disabled"},
         true},
        {ark,
         "Utskrift o Statistik",
         "utskrstat_mn",
         {"window UtskrStatForm", "main disabled"},
         true},
        {ark, "Back-up", "Bu_mn", {"window BackUpForm"}, true},
        {info, "Översikt", "over_mn", {"help 10000"}, false},
        {info, "Transaktioner", "trans_mn", {"help 20000"}, false},
        {info, "Konton", "acc_mn", {"help 40000"}, false},
        {info, "Kommandoknappar", "butts_mn", {"help 50000"}, false},
        {info, "Budgetering", "bdg_mn", {"help 60000"}, false},
        {info, "Statistik & Utskrift", "utstat_mn", {"help 70000"}, false},
        {info, "Uppdaterat", "Update_mn", {"url " + updates}, false},
        {info, "Har du kritik ?", "kritisk_mn", {"box ProgramKritik"}, false},
        {info, "Donera", "Donera_mn", {"window DonateForm", "main disabled"}, true},
        {ark, "Avsluta", "Ex_mn", {"ended"}, true}, // last: the program ends
    };
    // The table holds every menu item of the window.
    QStringList listed, found;
    for (const auto& i : items)
        listed << i.item;
    for (QAction* a : f.findChildren<QAction*>())
        if (a->objectName().endsWith("_mn"))
            found << a->objectName();
    listed.sort();
    found.sort();
    ASSERT_EQ(found, listed);

    enum class Waiting { Every, EntryLocked, None };
    const struct {
        const char* state;
        std::function<void()> enter, leave;
        Waiting waiting; // the items that must not run
    } states[] = {
        {"the new-transaction dialog open", [&] { ASSERT_TRUE(openNew().isVisible()); },
         [&] { mainDialog().close(); }, Waiting::Every},
        {"an amount being entered", [&] { pick("Hyra"); },
         [&] {
             activate(f);
             QTest::keyClick(firstBox(), Qt::Key_Escape);
         },
         Waiting::EntryLocked},
        {"idle", [] {}, [] {}, Waiting::None},
    };
    for (const auto& s : states) {
        SCOPED_TRACE(s.state);
        s.enter();
        const QString avb = Module1.Avb;
        Effects effects(fakes, f);
        for (const auto& i : items) {
            SCOPED_TRACE(i.item);
            const bool waits =
                s.waiting == Waiting::Every || (s.waiting == Waiting::EntryLocked && i.entryLocks);
            auto* action = f.findChild<QAction*>(i.item);
            QAccessibleInterface* bus = menuItem(f, i.menu, i.caption);
            ASSERT_TRUE(bus && bus->actionInterface());
            ASSERT_EQ(bus->object(), action);
            EXPECT_EQ(bus->state().disabled, waits); // read out as greyed
            const std::pair<const char*, std::function<void()>> roads[] = {
                {"trigger", [&] { action->trigger(); }},
                {"screen reader", [&] {
                     bus->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
                 }}};
            for (const auto& [road, run] : roads) {
                SCOPED_TRACE(road);
                if (!waits && i.asks)
                    fakes.messages->answers.push_back(Answer::No);
                effects.run(run);
                EXPECT_EQ(effects.since().join(" | ").toStdString(),
                          waits ? "" : i.runs.join(" | ").toStdString());
                // What it opened is closed again, the state as it was.
                for (const QString& e : effects.since())
                    if (e.startsWith("window "))
                        opened(e.mid(7)).close();
                EXPECT_EQ(Module1.Avb.toStdString(), avb.toStdString());
                effects.restart();
            }
        }
        s.leave();
    }
}

} // namespace
