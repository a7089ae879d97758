#include "platform/testing/FakePrinter.h"

#include "platform/testing/FakePlatform.h"

#include <QWidget>

namespace platform::testing {

namespace {

QString number(double v) {
    return QString::number(v, 'g', 12);
}

class FakeJob final : public PrintJob {
public:
    explicit FakeJob(FakePrinters& p) : p_(p), file_(p.fileTarget) {}
    void setOrientation(Orientation o) override {
        record(QStringLiteral("ORIENTATION %1").arg(int(o)));
    }
    void setLogicalPage(int width, int height) override {
        record(QStringLiteral("PAGE %1 %2").arg(width).arg(height));
    }
    void setFont(const QString& family, double points, bool bold) override {
        record(QStringLiteral("FONT %1 %2%3")
                   .arg(family, number(points), bold ? QStringLiteral(" bold") : QString()));
    }
    void text(double x, double y, const QString& s) override {
        record(QStringLiteral("TEXT %1 %2 \"%3\"").arg(number(x), number(y), s));
    }
    double textWidth(const QString& s) override { return p_.measure(s); }
    void newPage() override { record(QStringLiteral("NEWPAGE")); }
    void endDoc() override { record(QStringLiteral("END")); }
    void abortDoc() override { record(QStringLiteral("ABORT")); }
    QString fileName() const override { return file_; }

private:
    void record(const QString& line) {
        p_.calls << line;
        if (!p_.failOn.isEmpty() && line.startsWith(p_.failOn)) {
            p_.failOn.clear();
            throw PrintFailure(p_.failText.toStdString());
        }
    }
    FakePrinters& p_;
    QString file_;
};

} // namespace

std::unique_ptr<PrintJob> FakePrinters::setup(QWidget* parent) {
    setups << (parent ? parent->objectName() : QString());
    if (answers.empty())
        throw UnscriptedCall{QStringLiteral("print set-up box")};
    const bool ok = answers.front();
    answers.pop_front();
    if (!ok)
        return nullptr;
    return std::make_unique<FakeJob>(*this);
}

QStringList FakePrinters::callsStarting(const QString& prefix) const {
    QStringList out;
    for (const QString& c : calls)
        if (c.startsWith(prefix))
            out << c;
    return out;
}

} // namespace platform::testing
