#include "platform/WebPane.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace platform {

namespace {

class TextBrowserPane final : public WebPane {
public:
    explicit TextBrowserPane(QWidget* parent) : WebPane(parent) {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        view_ = new QTextBrowser(this);
        view_->setOpenLinks(false);
        view_->setAccessibleName(QStringLiteral("Webbsida"));
        layout->addWidget(view_);
    }

    void navigate(const QString& url) override {
        url_ = url;
        if (reply_) {
            reply_->disconnect(this);
            reply_->abort();
            reply_->deleteLater();
            reply_ = nullptr;
        }
        if (url == QLatin1String("about:blank")) {
            view_->clear();
            // Completes later, as any page does: never inside the call that
            // asked for it.
            QMetaObject::invokeMethod(
                this,
                [this, url] {
                    if (url_ == url && !reply_)
                        emit documentComplete(url);
                },
                Qt::QueuedConnection);
            return;
        }
        QNetworkRequest request{QUrl(url)};
        request.setTransferTimeout(15000);
        reply_ = net_.get(request);
        connect(reply_, &QNetworkReply::finished, this, [this, url] {
            QNetworkReply* r = reply_;
            reply_ = nullptr;
            if (r->error() == QNetworkReply::NoError)
                view_->setHtml(QString::fromUtf8(r->readAll()));
            else
                view_->clear(); // an unreachable page leaves the pane empty
            r->deleteLater();
            emit documentComplete(url);
        });
    }

    QString currentUrl() const override { return url_; }

private:
    QTextBrowser* view_;
    QNetworkAccessManager net_;
    QNetworkReply* reply_ = nullptr;
    QString url_;
};

WebPaneFactory& factory() {
    static WebPaneFactory f;
    return f;
}

} // namespace

WebPane* makeRealWebPane(QWidget* parent) {
    return new TextBrowserPane(parent);
}

WebPane* makeWebPane(QWidget* parent) {
    return factory() ? factory()(parent) : makeRealWebPane(parent);
}

void setWebPaneFactory(WebPaneFactory f) {
    factory() = std::move(f);
}

} // namespace platform
