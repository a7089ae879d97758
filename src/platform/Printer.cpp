#include "platform/Printer.h"

#include "platform/SysError.h"
#include "platform/Ui.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <cerrno>
#include <cstdlib>
#include <cups/cups.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The print system's answer to a job: its number, or its own reason for
// refusing it.
int submitToPrintSystem(const QString& printer, const QString& file, const QString& title,
                        const QPrinter& settings) {
    // "queue/instance" names a saved set of options of a queue.
    const QByteArray queue = printer.section(QLatin1Char('/'), 0, 0).toUtf8();
    int count = 0;
    cups_option_t* options = nullptr;
    if (settings.copyCount() > 1) {
        count = cupsAddOption("copies", QByteArray::number(settings.copyCount()).constData(), count,
                              &options);
        count =
            cupsAddOption("collate", settings.collateCopies() ? "true" : "false", count, &options);
    }
    switch (settings.duplex()) {
    case QPrinter::DuplexNone:
        count = cupsAddOption("sides", "one-sided", count, &options);
        break;
    case QPrinter::DuplexLongSide:
        count = cupsAddOption("sides", "two-sided-long-edge", count, &options);
        break;
    case QPrinter::DuplexShortSide:
        count = cupsAddOption("sides", "two-sided-short-edge", count, &options);
        break;
    case QPrinter::DuplexAuto:
        break; // the queue's own default
    }
    const int job =
        cupsPrintFile2(CUPS_HTTP_DEFAULT, queue.constData(), QFile::encodeName(file).constData(),
                       title.toUtf8().constData(), count, options);
    cupsFreeOptions(count, options);
    if (job <= 0) {
        const QString reason = QString::fromUtf8(cupsLastErrorString());
        fail(reason.isEmpty() ? kDeviceIo : reason);
    }
    return job;
}

class QtPrintJob final : public PrintJob {
public:
    explicit QtPrintJob(std::unique_ptr<QPrinter> printer) : printer_(std::move(printer)) {
        if (printer_->outputFormat() == QPrinter::PdfFormat)
            target_ = printer_->outputFileName();
        else
            queue_ = printer_->printerName();
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
    }
    void text(double x, double y, const QString& s) override {
        start();
        renderer_.text(x, y, s);
    }
    double textWidth(const QString& s) override {
        start();
        return renderer_.width(s);
    }
    void newPage() override {
        start();
        if (!renderer_.newPage())
            fail(kDeviceIo);
    }
    void endDoc() override {
        start();
        done_ = true;
        endFile();
        if (toFile())
            moveIntoPlace();
        else
            handOver();
    }
    void abortDoc() override {
        done_ = true;
        if (renderer_.active())
            renderer_.end();
        writer_.reset();
        file_.reset();
        if (!temp_.isEmpty())
            ::unlink(QFile::encodeName(temp_).constData());
        temp_.clear();
    }
    QString fileName() const override { return target_; }

private:
    // The document is drawn into a PDF as the run goes: a file's under a
    // temporary name beside the one chosen, a printer's in the temporary
    // folder until the print system has taken it.
    bool toFile() const { return !target_.isEmpty(); }

    void start() {
        if (started_)
            return;
        started_ = true;
        if (!toFile() && queue_.isEmpty())
            fail(kDeviceIo); // neither a file nor a printer was chosen
        openTemp();
        writer_ = std::make_unique<QPdfWriter>(file_.get());
        writer_->setCreator(QStringLiteral("Fynlar"));
        writer_->setTitle(title());
        writer_->setResolution(printer_->resolution());
        writer_->setPageLayout(printer_->pageLayout());
        renderer_.layout(*writer_, writer_->resolution(), width_, height_);
        if (!renderer_.begin())
            fail(kPathFileAccess);
    }

    QString title() const {
        return toFile() ? QFileInfo(target_).completeBaseName() : QStringLiteral("Fynlar");
    }

    void openTemp() {
        QByteArray temp;
        if (toFile()) {
            const QFileInfo target(target_);
            if (!QFileInfo(target.absolutePath()).isDir())
                fail(kPathNotFound);
            if (target.isDir())
                fail(kPathFileAccess);
            if (target.exists() && !target.isWritable())
                throw PrintFailure(kPermissionDenied, target.absoluteFilePath());
            temp = QFile::encodeName(target.absolutePath() + QStringLiteral("/.") +
                                     target.fileName() + QStringLiteral(".XXXXXX"));
        } else {
            temp = QFile::encodeName(QDir::tempPath() + QStringLiteral("/fynlar-print-XXXXXX"));
        }
        const int fd = ::mkstemp(temp.data());
        if (fd < 0) {
            const int e = errno;
            throw PrintFailure(sysErrorText(e), QFileInfo(QFile::decodeName(temp)).absolutePath());
        }
        temp_ = QFile::decodeName(temp);
        file_ = std::make_unique<QFile>();
        if (!file_->open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            fail(kPathFileAccess);
        }
    }

    // The last page ended and the whole PDF on disk under its temporary name.
    void endFile() {
        const bool ended = renderer_.end();
        writer_.reset();
        const int fd = file_->handle();
        if (!ended || !file_->flush() || file_->error() != QFileDevice::NoError) {
            const int e = errno;
            abortDoc();
            fail(e == ENOSPC ? kDiskFull : kDeviceIo);
        }
        if (toFile()) {
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
        }
        file_->close();
        file_.reset();
    }

    // Renamed over the chosen file, so that a failure leaves no half-written
    // file there.
    void moveIntoPlace() {
        const QString folder = QFileInfo(target_).absolutePath();
        if (::rename(QFile::encodeName(temp_).constData(),
                     QFile::encodeName(QFileInfo(target_).absoluteFilePath()).constData()) != 0) {
            const int e = errno;
            abortDoc();
            throw PrintFailure(sysErrorText(e), folder);
        }
        temp_.clear();
        const int dir =
            ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }

    // The print system takes the file as a job; the temporary file goes
    // either way.
    void handOver() {
        try {
            submitToPrintSystem(queue_, temp_, title(), *printer_);
        } catch (...) {
            abortDoc();
            throw;
        }
        abortDoc(); // only the temporary file is left to drop
    }

    std::unique_ptr<QPrinter> printer_;
    QString target_; // the PDF file chosen; empty for a printer
    QString queue_;  // the printer chosen
    QString temp_;
    std::unique_ptr<QFile> file_;
    std::unique_ptr<QPdfWriter> writer_;
    Renderer renderer_;
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
