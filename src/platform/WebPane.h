#pragma once
// The embedded browser: a small pane that navigates, shows the page and says
// when a document has completed.
#include <QWidget>
#include <functional>

namespace platform {

class WebPane : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    virtual void navigate(const QString& url) = 0;
    virtual QString currentUrl() const = 0;

signals:
    void documentComplete(const QString& url);
};

using WebPaneFactory = std::function<WebPane*(QWidget* parent)>;

// A pane of the installed kind (the real one unless a test installed another).
WebPane* makeWebPane(QWidget* parent);
void setWebPaneFactory(WebPaneFactory factory);
WebPane* makeRealWebPane(QWidget* parent);

} // namespace platform
