#pragma once

#include <QString>

// The path of a file the program ships (the help, icons, the template file):
// looked up beside the executable first, then in the installed share/quillo
// folder. The name is compared exactly. Empty when it is in neither.
QString FindDataFile(const QString& relativePath);
