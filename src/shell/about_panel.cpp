#include "shell/about_panel.h"

#include <QLabel>

#include "shell/clickable_label.h"
#include "shell/pictures.h"
#include "shell/web_links.h"

namespace tarnwick {

AboutPanel::AboutPanel(ShellServices& services, QWidget* parent)
    : QWidget(parent),
      services_(services),
      title_(this, QStringLiteral("lblAboutTitle"), QStringLiteral("Tarnwick "), 24, 18) {
  setObjectName(QStringLiteral("picAbout"));

  imgAbout = new QLabel(this);
  imgAbout->setObjectName(QStringLiteral("imgAbout"));
  imgAbout->setPixmap(Pictures::AboutPicture());
  imgAbout->setGeometry(24, 78, 64, 64);

  lblAboutVersion = new QLabel(QStringLiteral("Version 1.0.0 "), this);
  lblAboutVersion->setObjectName(QStringLiteral("lblAboutVersion"));
  lblAboutVersion->setStyleSheet(QStringLiteral("color: #4a5a70; font-weight: 600;"));
  lblAboutVersion->setGeometry(104, 80, 300, 20);

  lblAbout = new QLabel(
      QStringLiteral("Thank you for trying out Tarnwick. I hope you have enjoyed it and found it "
                     "useful. If you have any remarks about the program please contact me at the "
                     "email below. Also visit my website for more exciting programs."),
      this);
  lblAbout->setObjectName(QStringLiteral("lblAbout"));
  lblAbout->setWordWrap(true);
  lblAbout->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblAbout->setGeometry(104, 108, 400, 110);

  lblEmail = new QLabel(QStringLiteral("Email: ") + QString::fromLatin1(kContactAddress), this);
  lblEmail->setObjectName(QStringLiteral("lblEmail"));
  lblEmail->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lblEmail->setGeometry(104, 230, 400, 20);

  lblWebsite = new ClickableLabel(QStringLiteral("lblWebsite"), this);
  lblWebsite->setText(QStringLiteral("Website: ") + QString::fromLatin1(kWebsiteCaptionAddress));
  lblWebsite->SetLinkStyle(true);
  lblWebsite->setStyleSheet(QStringLiteral("color: #1f5fa8;"));
  lblWebsite->setGeometry(104, 254, 400, 20);
  lblLicence = new QLabel(QString::fromLatin1(kLicenceText), this);
  lblLicence->setObjectName(QStringLiteral("lblLicence"));
  lblLicence->setWordWrap(true);
  lblLicence->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblLicence->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lblLicence->setStyleSheet(QStringLiteral("color: #4a5a70;"));
  lblLicence->setGeometry(104, 286, 400, 60);
  connect(lblWebsite, &ClickableLabel::Clicked, this,
          [this] { OpenWebPage(services_, QString::fromLatin1(kMakerHomePage)); });
}

QString AboutPanel::VersionLine() {
  return QStringLiteral("Version  %1.%2.%3  ")
      .arg(TARNWICK_VERSION_MAJOR)
      .arg(TARNWICK_VERSION_MINOR)
      .arg(TARNWICK_VERSION_REVISION);
}

void AboutPanel::SetVersionLine() { lblAboutVersion->setText(VersionLine()); }

}  // namespace tarnwick
