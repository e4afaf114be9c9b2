#include "app/TreeNodeItemRAII.h"

#include <QTreeWidget>

// Restores the previous state rather than switching updates on, so brackets can nest.
TTreeNodeItemRAII::TTreeNodeItemRAII(QTreeWidget* treeView)
    : treeView_(treeView), wasEnabled_(treeView->updatesEnabled()) {
  treeView_->setUpdatesEnabled(false);
}

TTreeNodeItemRAII::~TTreeNodeItemRAII() {
  treeView_->setUpdatesEnabled(wasEnabled_);
}
