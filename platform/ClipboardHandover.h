// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Called once after the last window has gone and before the process ends: gives
// the text the user copied to a running clipboard manager, so other programs can
// still paste it, and leaves the toolkit nothing to hand over at its own teardown
// (which serves the manager slowly, one request per wake-up, up to 5 s).
void handOverClipboard();
