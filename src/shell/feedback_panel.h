#pragma once

#include <QWidget>

#include "shell/panel_title.h"

class QLabel;

namespace tarnwick {

class ClickableLabel;
class ShellServices;

// picFeedback: how to tell the maker about bugs and wishes.
class FeedbackPanel : public QWidget {
  Q_OBJECT

 public:
  FeedbackPanel(ShellServices& services, QWidget* parent = nullptr);

  static QString FeedbackText();
  // Replaces the caption; it never grows with repeated selection.
  void FillFeedbackText();

 private:
  ShellServices& services_;
  PanelTitle title_;
  QLabel* imgFeedback;
  QLabel* lblFeedback;
  ClickableLabel* lblFeedbackGO;
};

}  // namespace tarnwick
