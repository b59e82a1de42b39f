#include "search/FindDialog.h"

FindDialog::FindDialog(Services &, Windows &) : QWidget(nullptr)
{
    setObjectName(QStringLiteral("find"));
}
