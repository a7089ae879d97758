#include "platform/SwedishTexts.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QPointer>
#include <QTranslator>
#include <QTreeView>

namespace platform {

namespace {

const QLocale& swedish() {
    static const QLocale l(QLocale::Swedish, QLocale::Sweden);
    return l;
}

// Qt's file model writes sizes and dates in the machine's locale, not the
// default one.
class SwedishFileColumns final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override {
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (!files || role != Qt::DisplayRole || (index.column() != 1 && index.column() != 3))
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        if (index.column() == 1)
            return files->isDir(source) ? QString()
                                        : swedish().formattedDataSize(files->size(source));
        return swedish().toString(files->lastModified(source), QStringLiteral("yyyy-MM-dd hh:mm"));
    }
};

// Every file box, also those Qt opens by itself (the print box's own), gets
// the Swedish columns before it shows.
class FileBoxColumns final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        auto* box = e->type() == QEvent::Show ? qobject_cast<QFileDialog*>(watched) : nullptr;
        if (!box)
            return false;
        if (!box->proxyModel())
            box->setProxyModel(swedishFileColumns(box));
        // Size, kind and date whole; the name takes the rest.
        if (auto* view = box->findChild<QTreeView*>(QStringLiteral("treeView"))) {
            QHeaderView* header = view->header();
            header->setStretchLastSection(false);
            header->setSectionResizeMode(0, QHeaderView::Stretch);
            for (int c = 1; c < header->count(); ++c)
                header->setSectionResizeMode(c, QHeaderView::ResizeToContents);
        }
        return false;
    }
};

QPointer<QTranslator> installed;

} // namespace

QAbstractProxyModel* swedishFileColumns(QObject* parent) {
    return new SwedishFileColumns(parent);
}

void installSwedishTexts() {
    if (installed || !qApp)
        return;
    // Sizes, numbers in spin boxes and the kinds of files (from the desktop's
    // file types) in Swedish.
    QLocale::setDefault(swedish());
    installed = new QTranslator(qApp);
    if (installed->load(QStringLiteral(":/i18n/qt_fynlar_sv.qm")))
        QCoreApplication::installTranslator(installed);
    qApp->installEventFilter(new FileBoxColumns(qApp));
}

} // namespace platform
