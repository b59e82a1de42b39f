#include "search/ReplaceDialog.h"

ReplaceDialog::ReplaceDialog(Services &, Windows &) : QWidget(nullptr)
{
    setObjectName(QStringLiteral("replace"));
}
