#pragma once

// The tree view control of the dialogs: items that open to their own lines,
// every line wrapped whole to the width of the control, however long.

#include <QString>
#include <QTreeWidget>

class TreeViewWidget final : public QTreeWidget {
    Q_OBJECT

public:
    // `name` is what the control is called for assistive technologies.
    TreeViewWidget(unsigned style, const QString &name, QWidget *parent);
    ~TreeViewWidget() override;

protected:
    void resizeEvent(QResizeEvent *event) override;
};
