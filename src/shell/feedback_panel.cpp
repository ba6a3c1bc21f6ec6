#include "shell/feedback_panel.h"

#include <QLabel>

#include "shell/clickable_label.h"
#include "shell/pictures.h"
#include "shell/web_links.h"

namespace tarnwick {

namespace {
const QString kLineBreak = QStringLiteral("\r\n");
const QString kParagraphBreak = QStringLiteral("\r\n\r\n");
}  // namespace

FeedbackPanel::FeedbackPanel(ShellServices& services, QWidget* parent)
    : QWidget(parent),
      services_(services),
      title_(this, QStringLiteral("lblAboutTitle"), QStringLiteral("Feedback "), 24, 18) {
  setObjectName(QStringLiteral("picFeedback"));

  imgFeedback = new QLabel(this);
  imgFeedback->setObjectName(QStringLiteral("imgFeedback"));
  imgFeedback->setPixmap(Pictures::FeedbackPicture());
  imgFeedback->setGeometry(24, 78, 64, 64);

  lblFeedback = new QLabel(this);
  lblFeedback->setObjectName(QStringLiteral("lblFeedback"));
  lblFeedback->setWordWrap(true);
  lblFeedback->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblFeedback->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lblFeedback->setGeometry(104, 80, 420, 250);

  lblFeedbackGO = new ClickableLabel(QStringLiteral("lblFeedbackGO"), this);
  lblFeedbackGO->setText(
      QStringLiteral("Click here to send me your feedback from my website  >>>  "));
  lblFeedbackGO->SetLinkStyle(true);
  lblFeedbackGO->setStyleSheet(QStringLiteral("color: #1f5fa8; font-weight: 600;"));
  lblFeedbackGO->setGeometry(104, 340, 420, 22);
  connect(lblFeedbackGO, &ClickableLabel::Clicked, this,
          [this] { OpenWebPage(services_, QString::fromLatin1(kFeedbackPage)); });
}

QString FeedbackPanel::FeedbackText() {
  QString text = QStringLiteral(
      "    Your feedback is extremely important in order to enhance this product. If you find "
      "any bugs, have any suggestions or have any ideas you want to see in the upcomming "
      "versions of Tarnwick, then please send them in.");
  text += kParagraphBreak + QStringLiteral("    You can contact me on my email ") +
          QString::fromLatin1(kContactAddress);
  text += kParagraphBreak + QStringLiteral("    or you can use the feedback form on my website");
  text += kLineBreak + QString(8, QLatin1Char(' ')) + QString::fromLatin1(kFeedbackPage);
  text += kParagraphBreak +
          QStringLiteral("    Thankyou for your interest in making Tarnwick as better program.");
  text += kParagraphBreak + QString(27, QLatin1Char(' ')) + QString::fromLatin1(kAuthorName);
  return text;
}

void FeedbackPanel::FillFeedbackText() { lblFeedback->setText(FeedbackText()); }

}  // namespace tarnwick
