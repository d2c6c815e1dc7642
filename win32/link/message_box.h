// The message sink of the Windows program: real message boxes.
#pragma once

void InstallMessageBoxes();
