#include "editors/shared/choice_lists.h"

namespace korvane {

const QStringList &TerrainRanks() {
  static const QStringList rows{QStringLiteral("S"), QStringLiteral("A"), QStringLiteral("B"),
                                QStringLiteral("C"), QStringLiteral("D"), QStringLiteral("E")};
  return rows;
}

const QStringList &SpiritNames() {
  static const QStringList rows{
      QStringLiteral("----"),   QStringLiteral("熱血"), QStringLiteral("魂"),
      QStringLiteral("士气"),   QStringLiteral("直感"), QStringLiteral("ひらめき"),
      QStringLiteral("不屈"),   QStringLiteral("鉄壁"), QStringLiteral("集中"),
      QStringLiteral("必中"),   QStringLiteral("感応"), QStringLiteral("加速"),
      QStringLiteral("覚醒"),   QStringLiteral("根性"), QStringLiteral("ド根性"),
      QStringLiteral("信頼"),   QStringLiteral("友情"), QStringLiteral("絆"),
      QStringLiteral("補給"),   QStringLiteral("期待"), QStringLiteral("気合"),
      QStringLiteral("気迫"),   QStringLiteral("激励"), QStringLiteral("情熱"),
      QStringLiteral("加手减"), QStringLiteral("狙撃"), QStringLiteral("直撃"),
      QStringLiteral("偵察"),   QStringLiteral("脱力"), QStringLiteral("混乱"),
      QStringLiteral("愛"),     QStringLiteral("勇气"), QStringLiteral("幸運"),
      QStringLiteral("祝福"),   QStringLiteral("努力"), QStringLiteral("応援")};
  return rows;
}

// Row 5 keeps its trailing blank, as the game's list has it.
const QStringList &SkillNames() {
  static const QStringList rows{QStringLiteral("----"),
                                QStringLiteral("切り払"),
                                QStringLiteral("シールド防御"),
                                QStringLiteral("底力"),
                                QStringLiteral("カウンター"),
                                QStringLiteral("援護攻撃 "),
                                QStringLiteral("援護防御"),
                                QStringLiteral("ＳＰアップ"),
                                QStringLiteral("闘争心"),
                                QStringLiteral("戦意高揚"),
                                QStringLiteral("気力＋（回避）"),
                                QStringLiteral("気力＋（命中）"),
                                QStringLiteral("気力＋（ダメージ）"),
                                QStringLiteral("気力＋（撃破）"),
                                QStringLiteral("Ｅセーブ"),
                                QStringLiteral("Ｂセーブ"),
                                QStringLiteral("ラーニング"),
                                QStringLiteral("連携攻撃"),
                                QStringLiteral("支援攻撃"),
                                QStringLiteral("集束攻撃"),
                                QStringLiteral("見切り"),
                                QStringLiteral("ガード"),
                                QStringLiteral("気力限界"),
                                QStringLiteral("修理技能"),
                                QStringLiteral("補給技能"),
                                QStringLiteral("ニュータイプ"),
                                QStringLiteral("強化人間"),
                                QStringLiteral("生体CPU"),
                                QStringLiteral("念動力"),
                                QStringLiteral("超能力"),
                                QStringLiteral("勇者"),
                                QStringLiteral("指揮官"),
                                QStringLiteral("ＳＥＥＤ"),
                                QStringLiteral("野生化"),
                                QStringLiteral("天才"),
                                QStringLiteral("極"),
                                QStringLiteral("強運"),
                                QStringLiteral("ＳＰ回復"),
                                QStringLiteral("精神耐性"),
                                QStringLiteral("２回行動"),
                                QStringLiteral("サイズ差補正無視")};
  return rows;
}

// The enhancement parts in table order; row 4 keeps its trailing blank.
const QStringList &PartNames() {
  static const QStringList rows{QStringLiteral("ブースター"),
                                QStringLiteral("メガブースター"),
                                QStringLiteral("アポジモーター"),
                                QStringLiteral("マグネットコーティング"),
                                QStringLiteral("バイオセンサー "),
                                QStringLiteral("サイコフレーム"),
                                QStringLiteral("カスタムOS"),
                                QStringLiteral("バイオコンピュータ"),
                                QStringLiteral("ハロ"),
                                QStringLiteral("ピンクハロ"),
                                QStringLiteral("ミノフスキークラフト"),
                                QStringLiteral("スラスターモジュール"),
                                QStringLiteral("防塵装置"),
                                QStringLiteral("スクリューモジュール"),
                                QStringLiteral("A-アダプター"),
                                QStringLiteral("S-アダプター"),
                                QStringLiteral("チョバムアーマー"),
                                QStringLiteral("ハイブリッドアーマー"),
                                QStringLiteral("超合金Z"),
                                QStringLiteral("超合金ニューZ"),
                                QStringLiteral("ゾルマニウム合金"),
                                QStringLiteral("大型ジェネレーター"),
                                QStringLiteral("メガジェネレーター"),
                                QStringLiteral("補助GSライド"),
                                QStringLiteral("対ビームコーティング"),
                                QStringLiteral("Iフィールドバリア"),
                                QStringLiteral("グラビティテリトリー"),
                                QStringLiteral("ハイパージャマー"),
                                QStringLiteral("コストダウン"),
                                QStringLiteral("勇者の印"),
                                QStringLiteral("鋼の魂"),
                                QStringLiteral("デュアルセンサー"),
                                QStringLiteral("マルチセンサー"),
                                QStringLiteral("高性能照準器"),
                                QStringLiteral("アナライザー"),
                                QStringLiteral("アナライザー+"),
                                QStringLiteral("アナライザー++"),
                                QStringLiteral("高性能レーダー"),
                                QStringLiteral("リニアシートト"),
                                QStringLiteral("プロペラントタンク"),
                                QStringLiteral("カートリッジ"),
                                QStringLiteral("リペアキット"),
                                QStringLiteral("スーパーリペアキット"),
                                QStringLiteral("OVAのコロッケ"),
                                QStringLiteral("アンドロメダ焼き"),
                                QStringLiteral("勝利の鍵"),
                                QStringLiteral("カットナライザー"),
                                QStringLiteral("ミンメイ人形"),
                                QStringLiteral("エースのお守り"),
                                QStringLiteral("ファンの花束"),
                                QStringLiteral("ミンメイのディスク"),
                                QStringLiteral("バサラのディスク"),
                                QStringLiteral("戦技マニュアル")};
  return rows;
}

} // namespace korvane
