// Edit, font and colour commands of the main window.
#include "editor/Form1.h"

void Form1::mnueditcut_Click() {}
void Form1::mnueditcopy_Click() {}
void Form1::mnueditpaste_Click() {}
void Form1::mnueditall_Click() {}
void Form1::mnueditfont_Click() {}
void Form1::mnutoolbcolor_Click() {}
void Form1::mnutooltcolor_Click() {}
