#include "shell/donate_panel.h"

#include <QLabel>

#include "shell/clickable_label.h"
#include "shell/pictures.h"
#include "shell/web_links.h"

namespace tarnwick {

namespace {
const QString kParagraphBreak = QStringLiteral("\r\n\r\n");
}

DonatePanel::DonatePanel(ShellServices& services, QWidget* parent)
    : QWidget(parent),
      services_(services),
      title_(this, QStringLiteral("lblAboutTitle"), QStringLiteral("Donate"), 24, 18) {
  setObjectName(QStringLiteral("picDonation"));

  imgDonate = new QLabel(this);
  imgDonate->setObjectName(QStringLiteral("imgDonate"));
  imgDonate->setPixmap(Pictures::DonatePicture());
  imgDonate->setGeometry(24, 78, 64, 64);

  lblDonation = new ClickableLabel(QStringLiteral("lblDonation"), this);
  lblDonation->setWordWrap(true);
  lblDonation->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblDonation->setCursor(Qt::PointingHandCursor);
  lblDonation->setGeometry(104, 80, 400, 120);
  connect(lblDonation, &ClickableLabel::Clicked, this,
          [this] { OpenWebPage(services_, QString::fromLatin1(kDonationPage)); });

  lblDonationSite = new ClickableLabel(QStringLiteral("lblDonationSite"), this);
  lblDonationSite->setText(QStringLiteral("Click here for details on making a donation. >>>  "));
  lblDonationSite->SetLinkStyle(true);
  lblDonationSite->setStyleSheet(QStringLiteral("color: #1f5fa8; font-weight: 600;"));
  lblDonationSite->setGeometry(104, 214, 400, 22);
  connect(lblDonationSite, &ClickableLabel::Clicked, this,
          [this] { OpenWebPage(services_, QString::fromLatin1(kDonationPage)); });
}

QString DonatePanel::DonationText() {
  QString text = QStringLiteral("    ");
  text += kParagraphBreak + QStringLiteral("    ");
  text += kParagraphBreak +
          QStringLiteral(
              "    If you find that Tarnwick has saved you time, money or effort then please "
              "donate.");
  return text;
}

void DonatePanel::FillDonationText() { lblDonation->setText(DonationText()); }

}  // namespace tarnwick
