#include "editors/units/unit_lists.h"

// The texts are the game's own, character for character: "合体;分離" holds an
// ASCII semicolon, "アウセンザイタ—" ends in an em dash, the "?" inside animation
// names is ASCII and the blanks inside the capital names are ideographic spaces.

namespace korvane {

const QStringList &UnitSizes() {
  static const QStringList rows{QStringLiteral("SS"), QStringLiteral("S"),  QStringLiteral("M"),
                                QStringLiteral("L"),  QStringLiteral("2L"), QStringLiteral("3L")};
  return rows;
}

const QStringList &MoveTypes() {
  static const QStringList rows{
      QStringLiteral("---"),  QStringLiteral("空"),     QStringLiteral("陆"),
      QStringLiteral("空陆"), QStringLiteral("海"),     QStringLiteral("空海"),
      QStringLiteral("陆海"), QStringLiteral("空陆海"), QStringLiteral("地中")};
  return rows;
}

const QStringList &FieldChoices() {
  static const QStringList rows{QStringLiteral("---"),
                                QStringLiteral("ビームコート"),
                                QStringLiteral("Ｉフィールド"),
                                QStringLiteral("Ｉフィールド△"),
                                QStringLiteral("ＡＢフィールド"),
                                QStringLiteral("プロテクトシェード"),
                                QStringLiteral("プロテクトウォール"),
                                QStringLiteral("プロテクトシェード强"),
                                QStringLiteral("ゾンダーバリア"),
                                QStringLiteral("ＰＳ装甲"),
                                QStringLiteral("ＴＰ装甲"),
                                QStringLiteral("耐弾装甲"),
                                QStringLiteral("念動フィールド"),
                                QStringLiteral("超念動フィールド"),
                                QStringLiteral("グラビティテリトリー"),
                                QStringLiteral("イデバリア"),
                                QStringLiteral("イナーシャルキャンセラー"),
                                QStringLiteral("ピンポイントバリア"),
                                QStringLiteral("ネッサーバリア"),
                                QStringLiteral("ＡＴフィールド"),
                                QStringLiteral("ＡＴフィールド強"),
                                QStringLiteral("ラミネート装甲"),
                                QStringLiteral("エネルギー偏向装甲"),
                                QStringLiteral("ジェネシックアーマー"),
                                QStringLiteral("ジェネレイティングアーマー"),
                                QStringLiteral("ディフレクトフィールド")};
  return rows;
}

const QStringList &StatusDefenses() {
  static const QStringList rows{QStringLiteral("---"),
                                QStringLiteral("マインドブロック"),
                                QStringLiteral("コクピットブロック"),
                                QStringLiteral("エナジーブロック"),
                                QStringLiteral("ウェポンブロック"),
                                QStringLiteral("ファンクションブロック"),
                                QStringLiteral("パイロットブロック"),
                                QStringLiteral("ロボットブロック"),
                                QStringLiteral("フルブロック")};
  return rows;
}

const QStringList &EquipmentFlags() {
  static const QStringList rows{QStringLiteral("盾装備"), QStringLiteral("剣装備"),
                                QStringLiteral("補給装置"), QStringLiteral("修理装置")};
  return rows;
}

const QStringList &AbilityFlags() {
  static const QStringList rows{
      QStringLiteral("ムートロン開放"), QStringLiteral("システムＬＩＯＨ"),
      QStringLiteral("合体;分離"),      QStringLiteral("（単）分離"),
      QStringLiteral("変形"),           QStringLiteral("ゼロシステム"),
      QStringLiteral("マジンパワー"),   QStringLiteral("Ｓ２機関"),
      QStringLiteral("ＥＮ回復（大）"), QStringLiteral("ＥＮ回復（中）"),
      QStringLiteral("ＥＮ回復（小）"), QStringLiteral("ＨＰ回復（大）"),
      QStringLiteral("ＨＰ回復（中）"), QStringLiteral("ＨＰ回復（小）"),
      QStringLiteral("分身"),           QStringLiteral("ジャミング機能")};
  return rows;
}

const QStringList &UnitSkills() {
  static const QStringList rows{QStringLiteral("---"), QStringLiteral("プロトデビルン"),
                                QStringLiteral("暴走")};
  return rows;
}

const QStringList &TransferTypes() {
  static const QStringList rows{QStringLiteral("不能换乘"),
                                QStringLiteral("UC系"),
                                QStringLiteral("W系"),
                                QStringLiteral("SEED调整者"),
                                QStringLiteral("SEED自然人"),
                                QStringLiteral("メビウ"),
                                QStringLiteral("MACROSS系"),
                                QStringLiteral("魔神系"),
                                QStringLiteral("黑盖塔"),
                                QStringLiteral("原创系"),
                                QStringLiteral("RGUN-POWERED"),
                                QStringLiteral("ディスアストラナガン"),
                                QStringLiteral("アウセンザイタ—"),
                                QStringLiteral("シュムエル")};
  return rows;
}

const QStringList &UpgradeCostTypes() {
  static const QStringList rows{
      QStringLiteral("10改2100.15改3600"), QStringLiteral("10改1900.15改3300"),
      QStringLiteral("10改1600.15改3100"), QStringLiteral("10改1300.15改2300"),
      QStringLiteral("10改 800.15改1800")};
  return rows;
}

const QStringList &WeaponKinds() {
  static const QStringList rows{
      QStringLiteral("MAP"),   QStringLiteral("通常"), QStringLiteral("全体"),
      QStringLiteral("---"),   QStringLiteral("---"),  QStringLiteral("小队"),
      QStringLiteral("？？"),  QStringLiteral("？？"), QStringLiteral("？？"),
      QStringLiteral("合体1"), QStringLiteral("合体2")};
  return rows;
}

const QStringList &MapShapes() {
  static const QStringList rows{QStringLiteral("---"), QStringLiteral("自机中心型"),
                                QStringLiteral("着弹地点指定型"), QStringLiteral("----------"),
                                QStringLiteral("指定方向型")};
  return rows;
}

const QStringList &FriendFoeChoices() {
  static const QStringList rows{QStringLiteral("无"), QStringLiteral("有"),
                                QStringLiteral("？？？")};
  return rows;
}

const QStringList &RequiredSkills() {
  static const QStringList rows{QStringLiteral("00------"), QStringLiteral("10-超能力"),
                                QStringLiteral("20-ニュータイプ"), QStringLiteral("30-念動力")};
  return rows;
}

const QStringList &Animations() {
  static const QStringList rows{QStringLiteral("-----------"),
                                QStringLiteral("アトミック?バズーカ"),
                                QStringLiteral("ハイパー?メガ粒子砲"),
                                QStringLiteral("プラズマ?リーダー"),
                                QStringLiteral("ハイ?メガ?キャノン"),
                                QStringLiteral("ハイ?メガ?キャノン"),
                                QStringLiteral("ハイパー?メガ?カノン"),
                                QStringLiteral("メガ?ランチャー"),
                                QStringLiteral("ハイパー?メガバズーカランチャー"),
                                QStringLiteral("ハイパー?メガ粒子砲"),
                                QStringLiteral("ハイパー?メガ粒子砲"),
                                QStringLiteral("核ミサイル"),
                                QStringLiteral("ツイン?バスター?ライフル"),
                                QStringLiteral("ミーティア?フルバースト"),
                                QStringLiteral("ローエングリン"),
                                QStringLiteral("イデオンガン"),
                                QStringLiteral("イデオンソード"),
                                QStringLiteral("ゲル結界発生器"),
                                QStringLiteral("ミサイル一斉発射"),
                                QStringLiteral("ゴッドボイス"),
                                QStringLiteral("ゴルディオンクラッシャー"),
                                QStringLiteral("ＥＳミサイル"),
                                QStringLiteral("ＥＳミサイル"),
                                QStringLiteral("衝撃波"),
                                QStringLiteral("ゴルディオンクラッシャー"),
                                QStringLiteral("ホーミングレーザー"),
                                QStringLiteral("Ｎ２地雷"),
                                QStringLiteral("ＰＬＡＮＥＴ　ＤＡＮＣＥ"),
                                QStringLiteral("ＰＬＡＮＥＴ　ＤＡＮＣＥ"),
                                QStringLiteral("突撃ラブハート"),
                                QStringLiteral("突撃ラブハート"),
                                QStringLiteral("ＨＯＬＹ　ＬＯＮＥＬＹ　ＬＩＧＨＴ"),
                                QStringLiteral("ＨＯＬＹ　ＬＯＮＥＬＹ　ＬＩＧＨＴ"),
                                QStringLiteral("ＰＯＷＥＲ　ＴＯ　ＴＨＥ　ＤＲＥＡＭ"),
                                QStringLiteral("ＭＹ　ＦＲＩＥＮＤＳ"),
                                QStringLiteral("ＴＲＹ　ＡＧＡＩＮ"),
                                QStringLiteral("マクロス?キャノン"),
                                QStringLiteral("ペンタクルビーム砲"),
                                QStringLiteral("ペンタクルビーム砲"),
                                QStringLiteral("龍王移山法"),
                                QStringLiteral("インビジブル?アサシン"),
                                QStringLiteral("テレキネシス?ミサイルＨＰ"),
                                QStringLiteral("ゲルーシュ?エハッド"),
                                QStringLiteral("ゲルーシュ?シュナイム"),
                                QStringLiteral("ゲルーシュ?シュロシャー"),
                                QStringLiteral("レギオン?バスター"),
                                QStringLiteral("レギオン?バスター"),
                                QStringLiteral("レギオン?バスター"),
                                QStringLiteral("メス?ハゾン"),
                                QStringLiteral("メス?ハゾン"),
                                QStringLiteral("メス?ハゾン"),
                                QStringLiteral("龍鱗乱舞陣"),
                                QStringLiteral("メス?ベリアット?ハオラム"),
                                QStringLiteral("絶望の宴"),
                                QStringLiteral("絶望の宴"),
                                QStringLiteral("ＣＴＭ－０５プレアディス"),
                                QStringLiteral("ＣＴＭ－０５プレアディス")};
  return rows;
}

} // namespace korvane
