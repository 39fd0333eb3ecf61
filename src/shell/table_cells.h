#pragma once

#include <QStyledItemDelegate>

// A check-box cell that toggles on a click anywhere in it, and on Space, not
// only on its small box (the flow program's Flush column).
class TCheckCellDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
};

// A cell whose text is wider than its column shows the whole text in a
// tooltip (the log's alarm causes and method names).
class TWholeTextDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
};
