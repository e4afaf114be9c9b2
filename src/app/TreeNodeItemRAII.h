#pragma once

class QTreeWidget;

// Keeps a tree from redrawing while its nodes are rebuilt, on every way out of the scope.
class TTreeNodeItemRAII {
 public:
  explicit TTreeNodeItemRAII(QTreeWidget* treeView);
  ~TTreeNodeItemRAII();
  TTreeNodeItemRAII(const TTreeNodeItemRAII&) = delete;
  TTreeNodeItemRAII& operator=(const TTreeNodeItemRAII&) = delete;

 private:
  QTreeWidget* treeView_;
  bool wasEnabled_;
};
