// SPDX-License-Identifier: GPL-3.0-or-later
// The component's styling, which a plain text box does not use but must answer:
// until told the text is styled, the component checks the caret's whole line on
// every paint. The text keeps no style bytes; the mark is all it needs.
#include "platform/TextBox.h"

void TextBox::styleNeeded(int)
{
    send(SCI_STARTSTYLING, (unsigned long)displayLength(), 0);
}
