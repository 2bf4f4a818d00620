#include "ui/WebLink.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>

namespace kinora {

namespace {

std::function<bool(const QUrl&)>& opener()
{
    static std::function<bool(const QUrl&)> open;
    return open;
}

// Marks a label made a link, for the accessibility factory.
const char* const kWebLinkProperty = "kinoraWebLink";

// Calls open on a left click, Enter or Space; a child of its label.
class LinkActivation : public QObject
{
public:
    LinkActivation(QLabel* label, std::function<void()> open)
        : QObject(label), m_open(std::move(open))
    {
        label->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            m_open();
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
                m_open();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_open;
};

class LinkAccessible : public QAccessibleWidget
{
public:
    explicit LinkAccessible(QWidget* label) : QAccessibleWidget(label, QAccessible::Link) {}

    QString text(QAccessible::Text type) const override
    {
        // The shown address is the link's name unless the form gives one, and its value.
        if ((type == QAccessible::Name && widget()->accessibleName().isEmpty()) ||
            type == QAccessible::Value)
            return static_cast<QLabel*>(widget())->text();
        return QAccessibleWidget::text(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.linked = true;
        return state;
    }

    QStringList actionNames() const override
    {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }

    // The press goes the way of the key, so that it does what Space does.
    void doAction(const QString& action) override
    {
        if (action != pressAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QCoreApplication::sendEvent(widget(), &space);
    }
};

QAccessibleInterface* linkFactory(const QString& /*className*/, QObject* object)
{
    auto* label = qobject_cast<QLabel*>(object);
    if (label && label->property(kWebLinkProperty).toBool())
        return new LinkAccessible(label);
    return nullptr;
}

} // namespace

void MakeWebLink(QLabel* label, std::function<void()> open)
{
    static const bool installed = [] {
        QAccessible::installFactory(linkFactory);
        return true;
    }();
    Q_UNUSED(installed);
    label->setProperty(kWebLinkProperty, true);
    // Setting up the form may have made the label's interface already, as plain text.
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(label))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    label->setFocusPolicy(Qt::StrongFocus);
    label->setStyleSheet(QStringLiteral("QLabel { %1 } QLabel:focus { background-color: "
                                        "palette(highlight); color: palette(highlighted-text); }")
                             .arg(label->styleSheet()));
    new LinkActivation(label, std::move(open));
}

void SetWebPageOpener(std::function<bool(const QUrl&)> open)
{
    opener() = std::move(open);
}

bool OpenWebPage(const QString& address)
{
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https") || url.host().isEmpty())
        return false;
    if (opener())
        return opener()(url);
    return QDesktopServices::openUrl(url);
}

} // namespace kinora
