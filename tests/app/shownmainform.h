#pragma once

#include "app/mainform.h"
#include "app/newcard.h"
#include "sessioncontext.h"

#include <QtTest>

// The real main window over a new card in IPAGothic whose name line reads
// 山田 太郎, shown and exposed: the start of the tests of its tool windows.
struct ShownMainForm {
    SessionContext t;
    MainForm form{*t.m};
    ShownMainForm() {
        t.m->FontList = QStringList{QStringLiteral("IPAGothic")};
        NewCard(*t.m);
        t.m->doc.card.TextItems[0].Text = QStringLiteral("山田 太郎");
        ShowCardData(*t.m);
        form.redrawCard();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }
};
