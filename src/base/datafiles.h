#pragma once

#include <QString>

// The path of a file the program ships (the help, icons, the template file):
// looked up beside the executable first, then in the share/quillo folder of
// the installation it belongs to, then in the one it was built for. The name is compared exactly.
// Empty when it is in neither.
QString FindDataFile(const QString& relativePath);
