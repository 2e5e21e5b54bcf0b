#include "mainwindow/AboutDialog.h"

#include "common/ControlIds.h"
#include "widgets/Bitmaps.h"
#include "widgets/DialogUnits.h"

#include <QLabel>
#include <QPushButton>

namespace verdane {

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("关于 Verdane"));
    setFixedSize(dluRect9pt(0, 0, 235, 55).size());

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(programIcon().pixmap(32, 32));
    icon->setGeometry(QRect(dluRect9pt(11, 17, 0, 0).topLeft(), QSize(32, 32)));

    auto* name = new QLabel(QStringLiteral("Zarn地图发布器 Version 1.0"), this);
    name->setGeometry(dluRect9pt(40, 10, 119, 8));
    auto* copyright = new QLabel(QStringLiteral("Copyright (C) 2026 NaloSoft"), this);
    copyright->setGeometry(dluRect9pt(40, 25, 119, 8));

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(controlName(ControlId::Ok));
    ok->setGeometry(dluRect9pt(178, 7, 50, 16));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace verdane
