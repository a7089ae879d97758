#include "platform/Printer.h"

#include "platform/SysError.h"
#include "platform/Ui.h"

#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

std::unique_ptr<Printers>& installed() {
    static std::unique_ptr<Printers> s;
    return s;
}

[[noreturn]] void fail(const QString& text) {
    throw PrintFailure(text.toStdString());
}

// The fonts the listings name, as the machine has them.
QString standIn(const QString& family) {
    if (family == QLatin1String("Arial"))
        return kArial;
    if (family == QLatin1String("Arial Narrow"))
        return kArialNarrow;
    return family;
}

// Draws on one paged device: logical units to device pixels with one scale,
// from the top left of the printable area, text hung from the top of its
// character cell.
class Renderer {
public:
    void layout(QPagedPaintDevice& device, int resolution, int width, int height) {
        device_ = &device;
        const QRectF paint = device.pageLayout().paintRectPixels(resolution);
        scale_ = std::min(paint.width() / width, paint.height() / height);
    }
    bool begin() { return painter_.begin(device_); }
    void setFont(const QFont& f) {
        font_ = QFont(f, device_);
        metrics_ = std::make_unique<QFontMetricsF>(font_, device_);
        if (painter_.isActive())
            painter_.setFont(font_);
    }
    void text(double x, double y, const QString& s) {
        painter_.drawText(QPointF(x * scale_, y * scale_ + metrics_->ascent()), s);
    }
    double width(const QString& s) const { return metrics_->horizontalAdvance(s) / scale_; }
    bool newPage() { return device_->newPage(); }
    bool end() { return painter_.end(); }
    bool active() const { return painter_.isActive(); }

private:
    QPagedPaintDevice* device_ = nullptr;
    QPainter painter_;
    QFont font_;
    std::unique_ptr<QFontMetricsF> metrics_;
    double scale_ = 1;
};

class QtPrintJob final : public PrintJob {
public:
    explicit QtPrintJob(std::unique_ptr<QPrinter> printer) : printer_(std::move(printer)) {
        if (printer_->outputFormat() == QPrinter::PdfFormat)
            target_ = printer_->outputFileName();
    }
    ~QtPrintJob() override {
        if (!done_)
            abortDoc();
    }

    void setOrientation(Orientation o) override {
        printer_->setPageOrientation(o == Orientation::Landscape ? QPageLayout::Landscape
                                                                 : QPageLayout::Portrait);
    }
    void setLogicalPage(int width, int height) override {
        width_ = width;
        height_ = height;
    }
    void setFont(const QString& family, double points, bool bold) override {
        start();
        QFont f(standIn(family));
        f.setPointSizeF(points);
        f.setBold(bold);
        renderer_.setFont(f);
        if (!streaming())
            ops_.push_back({Op::Font, {}, 0, 0, f});
    }
    void text(double x, double y, const QString& s) override {
        start();
        if (streaming())
            renderer_.text(x, y, s);
        else
            ops_.push_back({Op::Text, s, x, y, {}});
    }
    double textWidth(const QString& s) override {
        start();
        return renderer_.width(s);
    }
    void newPage() override {
        start();
        if (!streaming())
            ops_.push_back({Op::NewPage, {}, 0, 0, {}});
        else if (!renderer_.newPage())
            fail(kDeviceIo);
    }
    void endDoc() override {
        start();
        done_ = true;
        if (streaming())
            finishFile();
        else
            replayOnPrinter();
    }
    void abortDoc() override {
        done_ = true;
        ops_.clear();
        if (renderer_.active())
            renderer_.end();
        writer_.reset();
        file_.reset();
        if (!temp_.isEmpty())
            ::unlink(QFile::encodeName(temp_).constData());
        temp_.clear();
    }

private:
    struct Op {
        enum Kind { Font, Text, NewPage } kind;
        QString text;
        double x, y;
        QFont font;
    };

    // A PDF file is drawn as the run goes, under a temporary name beside the
    // one chosen; a printer gets the document only once it is whole.
    bool streaming() const { return !target_.isEmpty(); }

    void start() {
        if (started_)
            return;
        started_ = true;
        if (streaming()) {
            openTemp();
            writer_ = std::make_unique<QPdfWriter>(file_.get());
            writer_->setCreator(QStringLiteral("Fynlar"));
            writer_->setTitle(QFileInfo(target_).completeBaseName());
            writer_->setResolution(printer_->resolution());
            writer_->setPageLayout(printer_->pageLayout());
            renderer_.layout(*writer_, writer_->resolution(), width_, height_);
            if (!renderer_.begin())
                fail(kPathFileAccess);
        } else {
            renderer_.layout(*printer_, printer_->resolution(), width_, height_);
        }
    }

    void openTemp() {
        const QFileInfo target(target_);
        if (!QFileInfo(target.absolutePath()).isDir())
            fail(kPathNotFound);
        if (target.isDir())
            fail(kPathFileAccess);
        if (target.exists() && !target.isWritable())
            fail(kPermissionDenied);
        QByteArray temp = QFile::encodeName(target.absolutePath() + QStringLiteral("/.") +
                                            target.fileName() + QStringLiteral(".XXXXXX"));
        const int fd = ::mkstemp(temp.data());
        if (fd < 0)
            fail(sysErrorText(errno));
        temp_ = QFile::decodeName(temp);
        file_ = std::make_unique<QFile>();
        if (!file_->open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            fail(kPathFileAccess);
        }
    }

    // The whole file synced under its temporary name, then renamed over the
    // chosen one, so that a failure leaves no half-written file there.
    void finishFile() {
        const bool ended = renderer_.end();
        writer_.reset();
        const int fd = file_->handle();
        if (!ended || !file_->flush() || file_->error() != QFileDevice::NoError) {
            const int e = errno;
            abortDoc();
            fail(e == ENOSPC ? kDiskFull : kDeviceIo);
        }
        mode_t mode = 0666;
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
        struct stat st {};
        if (::stat(QFile::encodeName(target_).constData(), &st) == 0)
            mode = st.st_mode & 07777;
        if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) {
            const int e = errno;
            abortDoc();
            fail(sysErrorText(e));
        }
        file_->close();
        file_.reset();
        if (::rename(QFile::encodeName(temp_).constData(),
                     QFile::encodeName(QFileInfo(target_).absoluteFilePath()).constData()) != 0) {
            const int e = errno;
            abortDoc();
            fail(sysErrorText(e));
        }
        temp_.clear();
        const int dir = ::open(QFile::encodeName(QFileInfo(target_).absolutePath()).constData(),
                               O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }

    void replayOnPrinter() {
        if (!renderer_.begin())
            fail(kDeviceIo);
        for (const Op& op : ops_) {
            switch (op.kind) {
            case Op::Font:
                renderer_.setFont(op.font);
                break;
            case Op::Text:
                renderer_.text(op.x, op.y, op.text);
                break;
            case Op::NewPage:
                if (!renderer_.newPage()) {
                    printer_->abort();
                    renderer_.end();
                    fail(kDeviceIo);
                }
                break;
            }
        }
        ops_.clear();
        if (!renderer_.end())
            fail(kDeviceIo);
    }

    std::unique_ptr<QPrinter> printer_;
    QString target_; // the PDF file chosen; empty for a printer
    QString temp_;
    std::unique_ptr<QFile> file_;
    std::unique_ptr<QPdfWriter> writer_;
    Renderer renderer_;
    std::vector<Op> ops_;
    int width_ = 11000;
    int height_ = 16000;
    bool started_ = false;
    bool done_ = false;
};

class QtPrinters final : public Printers {
public:
    explicit QtPrinters(std::function<bool(QPrinter&, QWidget*)> choose)
        : choose_(std::move(choose)) {}
    std::unique_ptr<PrintJob> setup(QWidget* parent) override {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (!choose_(*printer, parent))
            return nullptr;
        return std::make_unique<QtPrintJob>(std::move(printer));
    }

private:
    std::function<bool(QPrinter&, QWidget*)> choose_;
};

bool printDialog(QPrinter& printer, QWidget* parent) {
    QPrintDialog box(&printer, parent);
    box.setWindowTitle(QStringLiteral("Skriv ut"));
    // The whole listing is printed; the box chooses the printer or a file.
    box.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    return box.exec() == QDialog::Accepted;
}

} // namespace

Printers& printers() {
    if (!installed())
        std::abort(); // used before main or a test installed it
    return *installed();
}

void setPrinters(std::unique_ptr<Printers> s) {
    installed() = std::move(s);
}

std::unique_ptr<Printers> makeQtPrinters() {
    return makeQtPrinters(printDialog);
}

std::unique_ptr<Printers> makeQtPrinters(std::function<bool(QPrinter&, QWidget*)> choose) {
    return std::make_unique<QtPrinters>(std::move(choose));
}

} // namespace platform
