#include "Окно.h"
#define T "Текст"
// "comment"
/* "block" */
auto a = u8"Да" L"и" U"нет"_s;
auto b = R"x(raw "text" )" still)x";
auto c = '"'; auto d = 1'000;
tr("Файл"); QCoreApplication::translate("Ctx", "Вид");
setObjectName(QStringLiteral("mainWindow")); qDebug() << "log" << 1;
x(QStringLiteral("Ещё"), "\x41\u0416\U0001F600\101");
