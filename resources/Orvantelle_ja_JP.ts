<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>AElemsConds</name>
    <message>
        <location filename="../forms/AElemsConds.ui" line="14"/>
        <source>Analyze Elems Conditions</source>
        <translation>元素解析の条件</translation>
    </message>
    <message>
        <location filename="../forms/AElemsConds.ui" line="32"/>
        <source>BG Values : </source>
        <translation>BG 値 : </translation>
    </message>
    <message>
        <location filename="../forms/AElemsConds.ui" line="39"/>
        <source>dmut</source>
        <translation>吸収端ジャンプ</translation>
    </message>
    <message>
        <location filename="../forms/AElemsConds.ui" line="68"/>
        <source>dmut-Ratio</source>
        <translation>ジャンプ比</translation>
    </message>
    <message>
        <location filename="../forms/AElemsConds.ui" line="97"/>
        <source>dE</source>
        <translation>端シフト</translation>
    </message>
    <message>
        <location filename="../forms/AElemsConds.ui" line="126"/>
        <source>ROI</source>
        <translation>ROI 値</translation>
    </message>
    <message>
        <location filename="../forms/AElemsConds.ui" line="155"/>
        <source>NROI</source>
        <translation>規格化 ROI</translation>
    </message>
</context>
<context>
    <name>Analyzer</name>
    <message>
        <location filename="../forms/Analyzer.ui" line="14"/>
        <source>Analyzer</source>
        <translation>解析</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="34"/>
        <source>LCF / MLCF Analysis</source>
        <translation>LCF / MLCF 解析</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="44"/>
        <source>MLCF</source>
        <translation>MLCF 法</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="51"/>
        <location filename="../forms/Analyzer.ui" line="498"/>
        <location filename="../forms/Analyzer.ui" line="618"/>
        <source>Analyze</source>
        <translation>解析実行</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="80"/>
        <source>Disp. on Time</source>
        <translation>逐次表示</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="100"/>
        <source>Show View</source>
        <translation>スペクトル表示</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="107"/>
        <source>Add Ref</source>
        <translation>参照追加</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="151"/>
        <source>Image Type:</source>
        <translation>画像の種類:</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="158"/>
        <source>DMut</source>
        <translation>量 (DMut)</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="168"/>
        <source>Ratio</source>
        <translation>比率</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="175"/>
        <source>R-factor</source>
        <translation>R 因子</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="178"/>
        <source>Fit quality of every block</source>
        <translation>各ブロックのフィットの良さ</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="185"/>
        <source>Sum of Fractions</source>
        <translation>比率の合計</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="188"/>
        <source>Sum of the fractions of every block</source>
        <translation>各ブロックの比率の合計</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="208"/>
        <source>Fixed Scale</source>
        <translation>スケール固定</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="215"/>
        <source>DMut Scale</source>
        <translation>DMut スケール</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="266"/>
        <source>Ratio Scale</source>
        <translation>比率スケール</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="333"/>
        <source>Mask below jump</source>
        <translation>ジャンプ未満をマスク</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="336"/>
        <source>Blocks whose edge jump is below the threshold are left out of the maps</source>
        <translation>吸収端ジャンプがしきい値未満のブロックはマップに含めません</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="378"/>
        <source>Memory budget [MB]</source>
        <translation>使用メモリ上限 [MB]</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="433"/>
        <source>Residual Absorption Analysis</source>
        <translation>残留吸収解析</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="440"/>
        <source>Res = mut(</source>
        <translation>残留 = mut(</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="469"/>
        <source> [eV])- dmut x</source>
        <translation> [eV]) - dmut ×</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="534"/>
        <source>Show dmut</source>
        <translation>dmut を表示</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="541"/>
        <source>Show the Rest</source>
        <translation>残りを表示</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="548"/>
        <source>Show Ratio</source>
        <translation>比率を表示</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="594"/>
        <source>Element Analysis</source>
        <translation>元素解析</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="601"/>
        <source>Target Element Names</source>
        <translation>対象元素名</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="611"/>
        <source>Sort by A. No.</source>
        <translation>原子番号順</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="647"/>
        <source>Disp. on TIme</source>
        <translation>逐次表示</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="694"/>
        <source>Show Map of</source>
        <translation>表示するマップ</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="701"/>
        <source>dMut of The Elem.</source>
        <translation>元素の dMut</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="711"/>
        <source>N. dMut of The Elem.</source>
        <translation>元素の規格化 dMut</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="718"/>
        <location filename="../forms/Analyzer.ui" line="803"/>
        <source>Correlation</source>
        <translation>相関</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="725"/>
        <source>Cor. Th</source>
        <translation>相関しきい値</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="732"/>
        <source>Mut+</source>
        <translation>Mut+（端の上）</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="739"/>
        <source>Mut-</source>
        <translation>Mut-（端の下）</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="746"/>
        <source>dE</source>
        <translation>端シフト</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="753"/>
        <source>ROI</source>
        <translation>ROI 値</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="760"/>
        <source>N.ROI</source>
        <translation>規格化 ROI</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="796"/>
        <source>Set STD</source>
        <translation>標準に設定</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="832"/>
        <source>Cor. Th.</source>
        <translation>相関しきい値</translation>
    </message>
    <message>
        <location filename="../forms/Analyzer.ui" line="861"/>
        <source>ReCalc Cor.</source>
        <translation>相関再計算</translation>
    </message>
    <message>
        <location filename="../src/analysis/Analyzer.cpp" line="50"/>
        <source>Analyzing Spectrum</source>
        <translation>解析中のスペクトル</translation>
    </message>
    <message>
        <location filename="../src/analysis/Analyzer.cpp" line="139"/>
        <source>Select Ref%1</source>
        <translation>参照%1を選択</translation>
    </message>
</context>
<context>
    <name>Body</name>
    <message>
        <location filename="../forms/Body.ui" line="14"/>
        <source>Orvantelle Desk</source>
        <translation>Orvantelle デスク</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="23"/>
        <source>I1 Data</source>
        <translation>I1 データ</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="30"/>
        <source>I0 Data</source>
        <translation>I0 データ</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="39"/>
        <source>Fluo. Type</source>
        <translation>蛍光法</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="46"/>
        <source>Dark Data</source>
        <translation>ダークデータ</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="113"/>
        <source>Reset Scale</source>
        <translation>表示範囲リセット</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="120"/>
        <source>Zoom in</source>
        <translation>拡大</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="169"/>
        <source>Set All</source>
        <translation>全画像に適用</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="196"/>
        <source>Position: </source>
        <translation>位置: </translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="226"/>
        <source>   E-shift from Std.: </source>
        <translation>   標準からのEシフト: </translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="240"/>
        <source>    E-Shift Tbl.: </source>
        <translation>    Eシフト表: </translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="261"/>
        <source>Chk Vals</source>
        <translation>値確認</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="268"/>
        <source>Batch Ctrl.</source>
        <translation>バッチ制御</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="279"/>
        <source>Show Spectrum</source>
        <translation>スペクトル表示</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="286"/>
        <source>Show Analyzer</source>
        <translation>解析ウィンドウ</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="293"/>
        <source>Show Cali. Ctrl.</source>
        <translation>校正ウィンドウ</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="300"/>
        <source>Show Img. Proc.</source>
        <translation>画像処理ウィンドウ</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="314"/>
        <source>Img. Select :</source>
        <translation>表示画像 :</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="321"/>
        <source>Data</source>
        <translation>データ</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="338"/>
        <source>Shift</source>
        <translation>シフト</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="345"/>
        <source>Res. Analysis</source>
        <translation>解析結果</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="358"/>
        <source>Save Img/Data</source>
        <translation>画像/データ保存</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="364"/>
        <source>Save Flat Dark</source>
        <translation>フラット/ダーク保存</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="371"/>
        <source>Cfg.</source>
        <translation>設定</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="378"/>
        <source>Save Data</source>
        <translation>データ保存</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="385"/>
        <source>Save Image</source>
        <translation>画像保存</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="400"/>
        <source>Save Proc. Data</source>
        <translation>処理データ保存</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="406"/>
        <source>Save Each Spectrum</source>
        <translation>各点のスペクトル保存</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="413"/>
        <source>XAFS</source>
        <translation>XAFS</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="423"/>
        <source>Raw</source>
        <translation>生データ</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="438"/>
        <source>DeGlitch</source>
        <translation>グリッチ除去</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="477"/>
        <source>de Glitch</source>
        <translation>グリッチ除去</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="480"/>
        <source>Deglitch Selected Map</source>
        <translation>選択マップのグリッチ除去</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="487"/>
        <source>NES</source>
        <translation>NES</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="490"/>
        <source>Deglitch E-Shift Map</source>
        <translation>Eシフトマップのグリッチ除去</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="505"/>
        <source>Extra</source>
        <translation>その他</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="511"/>
        <source>Exec F.A.</source>
        <translation>フーリエ解析実行</translation>
    </message>
</context>
<context>
    <name>ElemCtrl</name>
    <message>
        <location filename="../forms/ElemCtrl.ui" line="14"/>
        <source>Element</source>
        <translation>元素</translation>
    </message>
    <message>
        <location filename="../forms/ElemCtrl.ui" line="100"/>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Expected Absorption Edge.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;予想される吸収端。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <location filename="../forms/ElemCtrl.ui" line="107"/>
        <source>Pre/Post dE</source>
        <translation>前後 dE</translation>
    </message>
    <message>
        <location filename="../forms/ElemCtrl.ui" line="132"/>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;dmut is calculated as mu(E0+dE) - mu(E0-dE).&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;dmut は mu(E0+dE) - mu(E0-dE) として計算します。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <location filename="../forms/ElemCtrl.ui" line="139"/>
        <source>dmut</source>
        <translation>吸収端ジャンプ</translation>
    </message>
    <message>
        <location filename="../forms/ElemCtrl.ui" line="171"/>
        <source>Th dmut</source>
        <translation>dmut しきい値</translation>
    </message>
    <message>
        <location filename="../forms/ElemCtrl.ui" line="196"/>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Threshold value of the dmut.&lt;/p&gt;&lt;p&gt;When the dmut is less than the Threshold, most of the values (ROI, dmut,...) is set at BG Val.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;dmut のしきい値。&lt;/p&gt;&lt;p&gt;dmut がしきい値より小さいとき、ほとんどの値（ROI、dmut など）は BG 値になります。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <location filename="../forms/ElemCtrl.ui" line="203"/>
        <source>dE</source>
        <translation>端シフト</translation>
    </message>
    <message>
        <location filename="../forms/ElemCtrl.ui" line="228"/>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Position of the absorption edge, where the mut is ( mu(E0+dE) + mu(E0-dE) ) / 2.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;吸収端の位置。mut が ( mu(E0+dE) + mu(E0-dE) ) / 2 となる点です。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <location filename="../forms/ElemCtrl.ui" line="235"/>
        <source>ROI</source>
        <translation>ROI 範囲</translation>
    </message>
    <message>
        <location filename="../forms/ElemCtrl.ui" line="260"/>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Start position of the ROI.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;ROI の開始位置。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <location filename="../forms/ElemCtrl.ui" line="292"/>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;End position of the ROI.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;ROI の終了位置。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <location filename="../forms/ElemCtrl.ui" line="317"/>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;ROI Value&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;ROI 値&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <location filename="../forms/ElemCtrl.ui" line="342"/>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Normalized ROI value calculated as ROI / dmut.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;ROI / dmut として計算した規格化 ROI 値。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <location filename="../forms/ElemCtrl.ui" line="349"/>
        <source>No Neg</source>
        <translation>負値なし</translation>
    </message>
    <message>
        <location filename="../forms/ElemCtrl.ui" line="352"/>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;When the ROI is negative, the BG value is used instead of the calculated one.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;ROI が負のとき、計算値の代わりに BG 値を使います。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <location filename="../forms/ElemCtrl.ui" line="359"/>
        <source>Ratio</source>
        <translation>比率</translation>
    </message>
    <message>
        <location filename="../forms/ElemCtrl.ui" line="387"/>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Relative strength of the dmut against the dmut of selecte element as Target.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;基準に選んだ元素の dmut に対するこの dmut の相対強度。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <location filename="../forms/ElemCtrl.ui" line="394"/>
        <source>Std. Ratio</source>
        <translation>標準比率</translation>
    </message>
    <message>
        <location filename="../forms/ElemCtrl.ui" line="423"/>
        <source>Use</source>
        <translation>使用</translation>
    </message>
    <message>
        <location filename="../forms/ElemCtrl.ui" line="433"/>
        <source>Target</source>
        <translation>基準</translation>
    </message>
    <message>
        <location filename="../forms/ElemCtrl.ui" line="440"/>
        <source>Show</source>
        <translation>表示</translation>
    </message>
</context>
<context>
    <name>General</name>
    <message>
        <location filename="../src/app/GeneralTexts.h" line="8"/>
        <source>Start</source>
        <translation>開始</translation>
    </message>
    <message>
        <location filename="../src/app/GeneralTexts.h" line="9"/>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <location filename="../src/app/GeneralTexts.h" line="10"/>
        <source>Stopping</source>
        <translation>停止中</translation>
    </message>
</context>
<context>
    <name>LCFReference</name>
    <message>
        <location filename="../forms/LCFReference.ui" line="14"/>
        <source>LCF Reference</source>
        <translation>LCF 参照</translation>
    </message>
    <message>
        <location filename="../forms/LCFReference.ui" line="45"/>
        <source>Victreen</source>
        <translation>ヴィクトリーン型</translation>
    </message>
    <message>
        <location filename="../forms/LCFReference.ui" line="55"/>
        <source>dE</source>
        <translation>エネルギーシフト</translation>
    </message>
    <message>
        <location filename="../forms/LCFReference.ui" line="74"/>
        <source>Energy shift of the reference [eV]</source>
        <translation>参照スペクトルのエネルギーシフト [eV]</translation>
    </message>
    <message>
        <location filename="../forms/LCFReference.ui" line="81"/>
        <source>R [%]</source>
        <translation>比率 [%]</translation>
    </message>
    <message>
        <location filename="../forms/LCFReference.ui" line="100"/>
        <source>Fraction of the reference [%]</source>
        <translation>参照の比率 [%]</translation>
    </message>
    <message>
        <location filename="../forms/LCFReference.ui" line="107"/>
        <source>T</source>
        <translation>量</translation>
    </message>
    <message>
        <location filename="../forms/LCFReference.ui" line="126"/>
        <source>Amount of the reference</source>
        <translation>参照の量</translation>
    </message>
    <message>
        <location filename="../forms/LCFReference.ui" line="133"/>
        <source>dmut</source>
        <translation>吸収端ジャンプ</translation>
    </message>
    <message>
        <location filename="../forms/LCFReference.ui" line="152"/>
        <source>Edge jump of the reference</source>
        <translation>参照の吸収端ジャンプ</translation>
    </message>
    <message>
        <location filename="../forms/LCFReference.ui" line="159"/>
        <source>E0</source>
        <translation>吸収端 E0</translation>
    </message>
    <message>
        <location filename="../forms/LCFReference.ui" line="178"/>
        <source>Edge energy of the reference [eV]</source>
        <translation>参照の吸収端エネルギー [eV]</translation>
    </message>
    <message>
        <location filename="../forms/LCFReference.ui" line="185"/>
        <source>Show</source>
        <translation>表示</translation>
    </message>
</context>
<context>
    <name>XafsView</name>
    <message>
        <location filename="../forms/XafsView.ui" line="14"/>
        <source>XAFS</source>
        <translation>XAFS</translation>
    </message>
    <message>
        <location filename="../forms/XafsView.ui" line="80"/>
        <source>Normalized</source>
        <translation>規格化</translation>
    </message>
    <message>
        <location filename="../forms/XafsView.ui" line="90"/>
        <source>E. Correct</source>
        <translation>エネルギー補正</translation>
    </message>
    <message>
        <location filename="../forms/XafsView.ui" line="100"/>
        <source>Raw</source>
        <translation>生データ</translation>
    </message>
    <message>
        <location filename="../forms/XafsView.ui" line="107"/>
        <source>FFT</source>
        <translation>FFT</translation>
    </message>
    <message>
        <location filename="../forms/XafsView.ui" line="127"/>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <location filename="../src/widgets/XafsView.cpp" line="169"/>
        <location filename="../src/widgets/XafsView.cpp" line="171"/>
        <source>Energy [eV]</source>
        <translation>エネルギー [eV]</translation>
    </message>
    <message>
        <location filename="../src/widgets/XafsView.cpp" line="169"/>
        <source>Normalized mu t</source>
        <translation>規格化 μt</translation>
    </message>
    <message>
        <location filename="../src/widgets/XafsView.cpp" line="171"/>
        <source>mu t</source>
        <translation>μt</translation>
    </message>
    <message>
        <location filename="../src/widgets/XafsView.cpp" line="173"/>
        <source>Image number</source>
        <translation>画像番号</translation>
    </message>
    <message>
        <location filename="../src/widgets/XafsView.cpp" line="173"/>
        <source>Intensity</source>
        <translation>強度</translation>
    </message>
    <message>
        <location filename="../src/widgets/XafsView.cpp" line="175"/>
        <source>Frequency index</source>
        <translation>周波数番号</translation>
    </message>
    <message>
        <location filename="../src/widgets/XafsView.cpp" line="175"/>
        <source>|F|</source>
        <translation>|F|</translation>
    </message>
    <message>
        <location filename="../src/widgets/XafsView.cpp" line="269"/>
        <source>Save Spectra</source>
        <translation>スペクトルの保存</translation>
    </message>
    <message>
        <location filename="../src/widgets/XafsView.cpp" line="272"/>
        <source>Data File (*.dat)</source>
        <translation>データファイル (*.dat)</translation>
    </message>
    <message>
        <location filename="../src/widgets/XafsView.cpp" line="272"/>
        <source>Any Files (* *.*)</source>
        <translation>すべてのファイル (* *.*)</translation>
    </message>
</context>
</TS>
