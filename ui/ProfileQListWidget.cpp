#include "ProfileQListWidget.h"

#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>

ProfileQListWidget::ProfileQListWidget(QWidget* parent)
    : QListWidget(parent)
{
}

QSize ProfileQListWidget::sizeHint() const
{
    const QScrollBar* scrollBar = verticalScrollBar();
    const QStyleOptionSlider option;
    const int scrollBarExtent = scrollBar->style()->pixelMetric(QStyle::PM_ScrollBarExtent, &option, scrollBar);
    return QSize(sizeHintForColumn(0) + scrollBarExtent + 5, 192);
}
