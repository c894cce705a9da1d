#include "ConverterMissing.h"

#include "AppTexts.h"

#include <QCoreApplication>
#include <QMessageBox>

QString ConverterMissingText()
{
    return QCoreApplication::translate(
        "ConverterMissing",
        "The converter ffmpeg is not installed, so titles can be neither "
        "measured nor converted.\n\nInstall it with:\n    sudo apt install ffmpeg");
}

void ShowConverterMissing(QWidget *pOwner)
{
    QMessageBox box(QMessageBox::Warning, kAppCaption, ConverterMissingText(), QMessageBox::Ok,
                    pOwner);
    box.exec();
}
