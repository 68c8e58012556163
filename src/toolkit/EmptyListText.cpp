#include "EmptyListText.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QLabel>

namespace {

// Keeps the label over the whole viewport and shown only while the view's
// model has no rows.
class EmptyListLabel : public QLabel {
public:
    explicit EmptyListLabel(QAbstractItemView* view)
        : QLabel(view->viewport()), view(view)
    {
        setObjectName(QStringLiteral("emptyListText"));
        setAlignment(Qt::AlignCenter);
        setWordWrap(true);
        setMargin(12);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        QPalette grey = palette();
        grey.setColor(QPalette::WindowText, grey.color(QPalette::Disabled, QPalette::WindowText));
        setPalette(grey);
        view->viewport()->installEventFilter(this);
        QAbstractItemModel* model = view->model();
        connect(model, &QAbstractItemModel::modelReset, this, [this] { follow(); });
        connect(model, &QAbstractItemModel::rowsInserted, this, [this] { follow(); });
        connect(model, &QAbstractItemModel::rowsRemoved, this, [this] { follow(); });
        follow();
    }

    void follow()
    {
        setGeometry(view->viewport()->rect());
        setVisible(view->model()->rowCount() == 0);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize)
            setGeometry(view->viewport()->rect());
        return QLabel::eventFilter(watched, event);
    }

private:
    QAbstractItemView* view;
};

} // namespace

void setEmptyListText(QAbstractItemView* view, const QString& text)
{
    auto* label = view->viewport()->findChild<QLabel*>(QStringLiteral("emptyListText"), Qt::FindDirectChildrenOnly);
    if (!label)
        label = new EmptyListLabel(view);
    label->setText(text);
}
