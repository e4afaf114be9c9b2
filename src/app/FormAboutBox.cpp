#include "app/FormAboutBox.h"

#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "app/AppInfo.h"
#include "app/Application.h"
#include "app/QtText.h"

using kestrine::app::ToQString;

TFormAboutBox::TFormAboutBox(QWidget* owner)
    : TBaseDialog(owner, QStringLiteral("FormAboutBox"), QStringLiteral("バージョン情報"),
                  QSize(273, 195)) {
  kestrine::app::InitResources();
  QFont font;
  font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                    QStringLiteral("IPAPGothic")});
  font.setPixelSize(12);
  setFont(font);

  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(7, 7, 258, 148);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);

  ProgramIcon = new QLabel(Panel1);
  ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
  ProgramIcon->setGeometry(7, 7, 48, 48);
  ProgramIcon->setScaledContents(true);
  ProgramIcon->setPixmap(QIcon(QStringLiteral(":/icons/app-48.png")).pixmap(48, 48));

  auto label = [this](const char* name, const QString& caption, int left, int top) {
    auto* l = new QLabel(caption, Panel1);
    l->setObjectName(QLatin1String(name));
    l->move(left, top);
    l->setTextFormat(Qt::PlainText);
    return l;
  };
  ProductName = label("ProductName", QStringLiteral("製品名"), 65, 15);
  Version = label("Version", QStringLiteral("バージョン"), 65, 33);
  Copyright = label("Copyright", QStringLiteral("著作権表記"), 65, 56);
  Comments = label("Comments", QStringLiteral("コメント"), 7, 95);
  Comments->setWordWrap(true);
  Comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Comments->setGeometry(7, 95, 242, 42);

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setGeometry(102, 165, 69, 23);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

  const TkAppInfo info;
  ProductName->setText(kestrine::app::kApplicationTitle);
  Version->setText(QStringLiteral("バージョン ") +
                   ToQString(info.GetVersionString(TkAppInfo::FileVersion)));
  Copyright->setText(QStringLiteral("(C) ") +
                     ToQString(info.GetVersionString(TkAppInfo::LegalCopyright)));
  Comments->setText(ToQString(info.GetVersionString(TkAppInfo::Comments)));
  for (QLabel* l : {ProductName, Version, Copyright}) l->adjustSize();
}

TFormAboutBox::~TFormAboutBox() = default;
