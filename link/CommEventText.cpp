#include "link/CommEventText.h"

namespace korvi {

QString CommEventText(int code) {
    switch (code) {
        case 3:
            return QStringLiteral("CTS ﾗｲﾝの状態が変化しました。");
        case 4:
            return QStringLiteral("DSR ﾗｲﾝの状態が変化しました。");
        case 5:
            return QStringLiteral("CD ﾗｲﾝの状態が変化しました。");
        case 6:
            return QStringLiteral("呼び出し信号を検出しました。");
        case 7:
            return QStringLiteral("EOF を受信しました。");
        case 1001:
            return QStringLiteral("ﾌﾞﾚｰｸ信号を検出しました。");
        case 1002:
            return QStringLiteral("CTS ﾀｲﾑｱｳﾄを検出しました。");
        case 1003:
            return QStringLiteral("DSR ﾀｲﾑｱｳﾄを検出しました。");
        case 1004:
            return QStringLiteral("ﾌﾚｰﾐﾝｸﾞ ｴﾗｰが発生しました。");
        case 1006:
            return QStringLiteral("ｵｰﾊﾞｰﾗﾝ ｴﾗｰが発生しました。");
        case 1007:
            return QStringLiteral("CD ﾀｲﾑｱｳﾄを検出しました。");
        case 1008:
            return QStringLiteral("受信ﾊﾞｯﾌｧがｵｰﾊﾞｰﾌﾛｰしました。");
        case 1009:
            return QStringLiteral("ﾊﾟﾘﾃｨ ｴﾗｰが発生しました。");
        case 1010:
            return QStringLiteral("送信ﾊﾞｯﾌｧ ﾌﾙ ｴﾗｰが発生しました。");
        case 1011:
            return QStringLiteral("DCB 取得時にｴﾗｰが発生しました。");
        default:
            return QStringLiteral("未定義のｴﾗｰまたはｲﾍﾞﾝﾄが発生しました。");
    }
}

}  // namespace korvi
