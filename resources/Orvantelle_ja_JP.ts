<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
    <context>
        <name>AElemsConds</name>
        <message>
            <location filename="../forms/AElemsConds.ui" line="14" />
            <source>Analyze Elems Conditions</source>
            <translation>元素解析の条件</translation>
        </message>
        <message>
            <location filename="../forms/AElemsConds.ui" line="32" />
            <source>BG Values : </source>
            <translation>BG 値 : </translation>
        </message>
        <message>
            <location filename="../forms/AElemsConds.ui" line="39" />
            <source>dmut</source>
            <translation>吸収端ジャンプ</translation>
        </message>
        <message>
            <location filename="../forms/AElemsConds.ui" line="68" />
            <source>dmut-Ratio</source>
            <translation>ジャンプ比</translation>
        </message>
        <message>
            <location filename="../forms/AElemsConds.ui" line="97" />
            <source>dE</source>
            <translation>端シフト</translation>
        </message>
        <message>
            <location filename="../forms/AElemsConds.ui" line="126" />
            <source>ROI</source>
            <translation>ROI 値</translation>
        </message>
        <message>
            <location filename="../forms/AElemsConds.ui" line="155" />
            <source>NROI</source>
            <translation>規格化 ROI</translation>
        </message>
    </context>
    <context>
        <name>Analyzer</name>
        <message>
            <location filename="../forms/Analyzer.ui" line="14" />
            <source>Analyzer</source>
            <translation>解析</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="34" />
            <source>LCF / MLCF Analysis</source>
            <translation>LCF / MLCF 解析</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="44" />
            <source>MLCF</source>
            <translation>MLCF 法</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="51" />
            <location filename="../forms/Analyzer.ui" line="498" />
            <location filename="../forms/Analyzer.ui" line="618" />
            <source>Analyze</source>
            <translation>解析実行</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="80" />
            <source>Disp. on Time</source>
            <translation>逐次表示</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="100" />
            <source>Show View</source>
            <translation>スペクトル表示</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="107" />
            <source>Add Ref</source>
            <translation>参照追加</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="151" />
            <source>Image Type:</source>
            <translation>画像の種類:</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="158" />
            <source>DMut</source>
            <translation>量 (DMut)</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="168" />
            <source>Ratio</source>
            <translation>比率</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="175" />
            <source>R-factor</source>
            <translation>R 因子</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="178" />
            <source>Fit quality of every block</source>
            <translation>各ブロックのフィットの良さ</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="185" />
            <source>Sum of Fractions</source>
            <translation>比率の合計</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="188" />
            <source>Sum of the fractions of every block</source>
            <translation>各ブロックの比率の合計</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="208" />
            <source>Fixed Scale</source>
            <translation>スケール固定</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="215" />
            <source>DMut Scale</source>
            <translation>DMut スケール</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="266" />
            <source>Ratio Scale</source>
            <translation>比率スケール</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="333" />
            <source>Mask below jump</source>
            <translation>ジャンプ未満をマスク</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="336" />
            <source>Blocks whose edge jump is below the threshold are left out of the maps</source>
            <translation>吸収端ジャンプがしきい値未満のブロックはマップに含めません</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="378" />
            <source>Memory budget [MB]</source>
            <translation>使用メモリ上限 [MB]</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="433" />
            <source>Residual Absorption Analysis</source>
            <translation>残留吸収解析</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="440" />
            <source>Res = mut(</source>
            <translation>残留 = mut(</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="469" />
            <source> [eV])- dmut x</source>
            <translation> [eV]) - dmut ×</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="534" />
            <source>Show dmut</source>
            <translation>dmut を表示</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="541" />
            <source>Show the Rest</source>
            <translation>残りを表示</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="548" />
            <source>Show Ratio</source>
            <translation>比率を表示</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="594" />
            <source>Element Analysis</source>
            <translation>元素解析</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="601" />
            <source>Target Element Names</source>
            <translation>対象元素名</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="611" />
            <source>Sort by A. No.</source>
            <translation>原子番号順</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="647" />
            <source>Disp. on TIme</source>
            <translation>逐次表示</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="694" />
            <source>Show Map of</source>
            <translation>表示するマップ</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="701" />
            <source>dMut of The Elem.</source>
            <translation>元素の dMut</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="711" />
            <source>N. dMut of The Elem.</source>
            <translation>元素の規格化 dMut</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="718" />
            <location filename="../forms/Analyzer.ui" line="803" />
            <source>Correlation</source>
            <translation>相関</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="725" />
            <source>Cor. Th</source>
            <translation>相関しきい値</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="732" />
            <source>Mut+</source>
            <translation>Mut+（端の上）</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="739" />
            <source>Mut-</source>
            <translation>Mut-（端の下）</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="746" />
            <source>dE</source>
            <translation>端シフト</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="753" />
            <source>ROI</source>
            <translation>ROI 値</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="760" />
            <source>N.ROI</source>
            <translation>規格化 ROI</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="796" />
            <source>Set STD</source>
            <translation>標準に設定</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="832" />
            <source>Cor. Th.</source>
            <translation>相関しきい値</translation>
        </message>
        <message>
            <location filename="../forms/Analyzer.ui" line="861" />
            <source>ReCalc Cor.</source>
            <translation>相関再計算</translation>
        </message>
        <message>
            <location filename="../src/analysis/Analyzer.cpp" line="50" />
            <source>Analyzing Spectrum</source>
            <translation>解析中のスペクトル</translation>
        </message>
        <message>
            <location filename="../src/analysis/Analyzer.cpp" line="139" />
            <source>Select Ref%1</source>
            <translation>参照%1を選択</translation>
        </message>
        <message>
            <source>fraction</source>
            <translation>比率</translation>
        </message>
        <message>
            <source>amount</source>
            <translation>量</translation>
        </message>
        <message>
            <source>LCF %1: %2</source>
            <translation>LCF %1: %2</translation>
        </message>
        <message>
            <source>row %1</source>
            <translation>行 %1</translation>
        </message>
        <message>
            <source>LCF R-factor</source>
            <translation>LCF R 因子</translation>
        </message>
        <message>
            <source>LCF sum of fractions</source>
            <translation>LCF 比率の合計</translation>
        </message>
        <message>
            <source>Residual absorption: dmut</source>
            <translation>残留吸収: dmut</translation>
        </message>
        <message>
            <source>Residual absorption: rest</source>
            <translation>残留吸収: 残り</translation>
        </message>
        <message>
            <source>Residual absorption: ratio</source>
            <translation>残留吸収: 比率</translation>
        </message>
        <message>
            <source>Elements: %1</source>
            <translation>元素: %1</translation>
        </message>
        <message>
            <source>%1: %2</source>
            <translation>%1: %2</translation>
        </message>
        <message>
            <source>Quality of the live fit: R = Σ (μ − fit)² / Σ μ² over the fitted points (0 is a perfect fit)</source>
            <translation>ライブフィットの品質: フィットに使う点での R = Σ (μ − fit)² / Σ μ²（0 が完全なフィット）</translation>
        </message>
        <message>
            <source>   Map of the fit:</source>
            <translation>   フィットのマップ:</translation>
        </message>
        <message>
            <source>Fit quality of every block: R = Σ (μ − fit)² / Σ μ² over the fitted points</source>
            <translation>各ブロックのフィット品質: フィットに使う点での R = Σ (μ − fit)² / Σ μ²</translation>
        </message>
        <message>
            <source>Non-negative</source>
            <translation>非負</translation>
        </message>
        <message>
            <source>Fit with every reference fraction kept at 0 or above (non-negative least squares)</source>
            <translation>すべての参照の割合を 0 以上に保ってフィット（非負最小二乗法）</translation>
        </message>
        <message>
            <source>LCF fit</source>
            <translation>LCF フィット</translation>
        </message>
        <message>
            <source>target</source>
            <translation>対象</translation>
        </message>
        <message>
            <source>R-factor: %1</source>
            <translation>R ファクター: %1</translation>
        </message>
    </context>
    <context>
        <name>BatchCtrl</name>
        <message>
            <location filename="../src/gui/batchwindow/BatchCtrl.cpp" />
            <source>Running</source>
            <translation>実行中</translation>
        </message>
        <message>
            <location filename="../src/gui/batchwindow/BatchCtrl.cpp" />
            <source>Running line %1: %2</source>
            <translation>%1 行目を実行中: %2</translation>
        </message>
        <message>
            <location filename="../src/gui/batchwindow/BatchCtrl.cpp" />
            <source>Line %1 failed: %2</source>
            <translation>%1 行目で失敗: %2</translation>
        </message>
        <message>
            <location filename="../src/gui/batchwindow/BatchCtrl.cpp" />
            <source>Stopped at line %1</source>
            <translation>%1 行目で停止</translation>
        </message>
        <message>
            <location filename="../src/gui/batchwindow/BatchCtrl.cpp" />
            <source>Done</source>
            <translation>完了</translation>
        </message>
        <message>
            <location filename="../forms/BatchCtrl.ui" line="14" />
            <source>Batch Control</source>
            <translation>バッチ制御</translation>
        </message>
        <message>
            <location filename="../forms/BatchCtrl.ui" line="24" />
            <source>Batch Cmds</source>
            <translation>バッチコマンド</translation>
        </message>
        <message>
            <location filename="../forms/BatchCtrl.ui" line="38" />
            <source>Progress Log</source>
            <translation>進行ログ</translation>
        </message>
        <message>
            <location filename="../forms/BatchCtrl.ui" line="57" />
            <source>Load</source>
            <translation>読込</translation>
        </message>
        <message>
            <location filename="../forms/BatchCtrl.ui" line="64" />
            <source>Save</source>
            <translation>保存</translation>
        </message>
        <message>
            <location filename="../forms/BatchCtrl.ui" line="71" />
            <source>Clear Log</source>
            <translation>ログ消去</translation>
        </message>
        <message>
            <location filename="../forms/BatchCtrl.ui" line="78" />
            <source>Clear</source>
            <translation>消去</translation>
        </message>
        <message>
            <location filename="../forms/BatchCtrl.ui" line="98" />
            <source>Exec.</source>
            <translation>実行</translation>
        </message>
        <message>
            <location filename="../forms/BatchCtrl.ui" line="105" />
            <source>Stop</source>
            <translation>停止</translation>
        </message>
        <message>
            <location filename="../src/batch/BatchCtrl.cpp" line="40" />
            <source>Batch File (*.bat)</source>
            <translation>バッチファイル (*.bat)</translation>
        </message>
        <message>
            <location filename="../src/batch/BatchCtrl.cpp" line="40" />
            <source>Any Files (* *.*)</source>
            <translation>すべてのファイル (* *.*)</translation>
        </message>
    </context>
    <context>
        <name>Body</name>
        <message>
            <location filename="../forms/Body.ui" />
            <source>Saved %1</source>
            <translation>%1 を保存しました</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" />
            <source>Spike factor</source>
            <translation>スパイク係数</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" />
            <source>Range share</source>
            <translation>範囲の割合</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" />
            <source>A block is a glitch when its curvature exceeds this many times the map&apos;s mean curvature</source>
            <translation>ブロックの曲率がマップの平均曲率のこの倍数を超えるとグリッチとみなします</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" />
            <source>... and its value lies within this share of the map&apos;s value range from either end (0.1 = lowest or highest 10 %)</source>
            <translation>... かつ値がマップの値範囲の両端からこの割合以内にある場合 (0.1 = 下端または上端の 10 %)</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" />
            <source>Show deglitched</source>
            <translation>除去後を表示</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" />
            <source>Show the deglitched map instead of the map&apos;s own values</source>
            <translation>マップ本来の値の代わりにグリッチ除去後のマップを表示します</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="14" />
            <source>Orvantelle Desk</source>
            <translation>Orvantelle デスク</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="23" />
            <source>I1 Data</source>
            <translation>I1 データ</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="30" />
            <source>I0 Data</source>
            <translation>I0 データ</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="39" />
            <source>Fluo. Type</source>
            <translation>蛍光法</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="46" />
            <source>Dark Data</source>
            <translation>ダークデータ</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="113" />
            <source>Reset Scale</source>
            <translation>表示範囲リセット</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="120" />
            <source>Zoom in</source>
            <translation>拡大</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="169" />
            <source>Set All</source>
            <translation>全画像に適用</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="196" />
            <source>Position: </source>
            <translation>位置: </translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="226" />
            <source>   E-shift from Std.: </source>
            <translation>   標準からのEシフト: </translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="240" />
            <source>    E-Shift Tbl.: </source>
            <translation>    Eシフト表: </translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="261" />
            <source>Chk Vals</source>
            <translation>値確認</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="268" />
            <source>Batch Ctrl.</source>
            <translation>バッチ制御</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="279" />
            <source>Show Spectrum</source>
            <translation>スペクトル表示</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="286" />
            <source>Show Analyzer</source>
            <translation>解析ウィンドウ</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="293" />
            <source>Show Cali. Ctrl.</source>
            <translation>校正ウィンドウ</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="300" />
            <source>Show Img. Proc.</source>
            <translation>画像処理ウィンドウ</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="314" />
            <source>Img. Select :</source>
            <translation>表示画像 :</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="321" />
            <source>Data</source>
            <translation>データ</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="338" />
            <source>Shift</source>
            <translation>シフト</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="345" />
            <source>Res. Analysis</source>
            <translation>解析結果</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="358" />
            <source>Save Img/Data</source>
            <translation>画像/データ保存</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="364" />
            <source>Save Flat Dark</source>
            <translation>フラット/ダーク保存</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="371" />
            <source>Cfg.</source>
            <translation>設定</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="378" />
            <source>Save Data</source>
            <translation>データ保存</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="385" />
            <source>Save Image</source>
            <translation>画像保存</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="400" />
            <source>Save Proc. Data</source>
            <translation>処理データ保存</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="406" />
            <source>Save Each Spectrum</source>
            <translation>各点のスペクトル保存</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="413" />
            <source>XAFS</source>
            <translation>XAFS</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="423" />
            <source>Raw</source>
            <translation>生データ</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="438" />
            <source>DeGlitch</source>
            <translation>グリッチ除去</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="477" />
            <source>de Glitch</source>
            <translation>グリッチ除去</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="480" />
            <source>Deglitch Selected Map</source>
            <translation>選択マップのグリッチ除去</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="487" />
            <source>NES</source>
            <translation>NES</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="490" />
            <source>Deglitch E-Shift Map</source>
            <translation>Eシフトマップのグリッチ除去</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="505" />
            <source>Extra</source>
            <translation>その他</translation>
        </message>
        <message>
            <location filename="../forms/Body.ui" line="511" />
            <source>Exec F.A.</source>
            <translation>フーリエ解析実行</translation>
        </message>
        <message>
            <location filename="../src/app/BodySave.cpp" line="73" />
            <source>Any Files (* *.*)</source>
            <translation>すべてのファイル (* *.*)</translation>
        </message>
        <message>
            <location filename="../src/app/BodySave.cpp" line="74" />
            <source>Image File (*.png)</source>
            <translation>画像ファイル (*.png)</translation>
        </message>
        <message>
            <location filename="../src/app/BodySave.cpp" line="75" />
            <source>Tiff File (*.tif)</source>
            <translation>TIFF ファイル (*.tif)</translation>
        </message>
        <message>
            <location filename="../src/app/BodySave.cpp" line="76" />
            <source>XAFS Spectra (*.dat)</source>
            <translation>XAFS スペクトル (*.dat)</translation>
        </message>
        <message>
            <location filename="../src/app/BodySave.cpp" line="197" />
            <source>Data File (*.dat)</source>
            <translation>データファイル (*.dat)</translation>
        </message>
        <message>
            <location filename="../src/app/Body.cpp" line="+56" />
            <source>Spectrum at the position</source>
            <translation>現在位置のスペクトル</translation>
        </message>
        <message>
            <source>Energy shift [eV]</source>
            <translation>エネルギーシフト [eV]</translation>
        </message>
        <message>
            <source>Previous image</source>
            <translation>前の画像</translation>
        </message>
        <message>
            <source>Next image</source>
            <translation>次の画像</translation>
        </message>
        <message>
            <source>No dark</source>
            <translation>ダークなし</translation>
        </message>
        <message>
            <source>Clear Dark</source>
            <translation>ダーク消去</translation>
        </message>
        <message>
            <source>Min/Max</source>
            <translation>最小/最大</translation>
        </message>
        <message>
            <source>Colours of a result map from its smallest to its largest value (else from the 1st to the 99th percentile, so that a few outliers do not flatten the sample)</source>
            <translation>解析結果マップの色を最小値から最大値まで割り当てる（オフのときは 1〜99 パーセンタイル。少数の外れ値で試料が一様に見えないように）</translation>
        </message>
        <message>
            <source>Value under the mouse of the image or map on show</source>
            <translation>表示中の画像またはマップのマウス位置の値</translation>
        </message>
        <message>
            <source>Save all maps (HDF5)</source>
            <translation>全マップ保存 (HDF5)</translation>
        </message>
        <message>
            <source>Dark Images (*.tif *.tiff *.img *.dat *.h5 *.hdf5)</source>
            <translation>ダーク画像 (*.tif *.tiff *.img *.dat *.h5 *.hdf5)</translation>
        </message>
        <message>
            <source>Dark: level %1</source>
            <translation>ダーク: レベル %1</translation>
        </message>
        <message>
            <source>target</source>
            <translation>対象</translation>
        </message>
        <message>
            <source>(%1, %2), block %3 x %4 pixels</source>
            <translation>(%1, %2)、ブロック %3 x %4 ピクセル</translation>
        </message>
        <message>
            <source>Spectrum at %1</source>
            <translation>%1 のスペクトル</translation>
        </message>
        <message>
            <source>Analyzing Spectrum at %1</source>
            <translation>%1 のスペクトルを解析</translation>
        </message>
        <message>
            <source>I1 counts</source>
            <translation>I1 カウント</translation>
        </message>
        <message>
            <source>I0 counts</source>
            <translation>I0 カウント</translation>
        </message>
        <message>
            <source>HDF5 File (*.h5)</source>
            <translation>HDF5 ファイル (*.h5)</translation>
        </message>
    </context>
    <context>
        <name>CalibCtrl</name>
        <message>
            <location filename="../forms/CalibCtrl.ui" line="6" />
            <source>Calibration</source>
            <translation>キャリブレーション</translation>
        </message>
        <message>
            <location filename="../forms/CalibCtrl.ui" line="20" />
            <source>Std. :</source>
            <translation>標準 :</translation>
        </message>
        <message>
            <location filename="../forms/CalibCtrl.ui" line="25" />
            <location filename="../forms/CalibCtrl.ui" line="51" />
            <source>Simple</source>
            <translation>単純</translation>
        </message>
        <message>
            <location filename="../forms/CalibCtrl.ui" line="31" />
            <location filename="../forms/CalibCtrl.ui" line="57" />
            <source>Victreen</source>
            <translation>Victoreen 型</translation>
        </message>
        <message>
            <location filename="../forms/CalibCtrl.ui" line="46" />
            <source>Target :</source>
            <translation>対象 :</translation>
        </message>
        <message>
            <location filename="../forms/CalibCtrl.ui" line="72" />
            <source>Crystal</source>
            <translation>分光結晶</translation>
        </message>
        <message>
            <location filename="../forms/CalibCtrl.ui" line="80" />
            <source>Edge [eV]</source>
            <translation>吸収端 [eV]</translation>
        </message>
        <message>
            <location filename="../forms/CalibCtrl.ui" line="98" />
            <source>Rule</source>
            <translation>方式</translation>
        </message>
        <message>
            <location filename="../forms/CalibCtrl.ui" line="103" />
            <source>Half height</source>
            <translation>半値高さ</translation>
        </message>
        <message>
            <location filename="../forms/CalibCtrl.ui" line="104" />
            <source>Fit</source>
            <translation>フィット</translation>
        </message>
        <message>
            <location filename="../forms/CalibCtrl.ui" line="109" />
            <source>Exec Calib.</source>
            <translation>校正実行</translation>
        </message>
        <message>
            <location filename="../forms/CalibCtrl.ui" line="114" />
            <source>Clear Map</source>
            <translation>マップ消去</translation>
        </message>
        <message>
            <location filename="../forms/CalibCtrl.ui" line="129" />
            <source>Map File</source>
            <translation>マップファイル</translation>
        </message>
        <message>
            <location filename="../forms/CalibCtrl.ui" line="134" />
            <source>Save</source>
            <translation>保存</translation>
        </message>
        <message>
            <location filename="../forms/CalibCtrl.ui" line="139" />
            <source>Load</source>
            <translation>読込</translation>
        </message>
        <message>
            <location filename="../forms/CalibCtrl.ui" line="147" />
            <source>Delta Energy [eV]</source>
            <translation>エネルギー差 [eV]</translation>
        </message>
        <message>
            <location filename="../forms/CalibCtrl.ui" line="149" />
            <source>Max.</source>
            <translation>最大</translation>
        </message>
        <message>
            <location filename="../forms/CalibCtrl.ui" line="151" />
            <source>Min.</source>
            <translation>最小</translation>
        </message>
        <message>
            <location filename="../forms/CalibCtrl.ui" line="153" />
            <source>Avr.</source>
            <translation>平均</translation>
        </message>
        <message>
            <location filename="../forms/CalibCtrl.ui" line="155" />
            <source>sigma</source>
            <translation>標準偏差</translation>
        </message>
        <message>
            <location filename="../src/processing/CalibCtrl.cpp" line="32" />
            <source>Select Std.</source>
            <translation>標準選択</translation>
        </message>
        <message>
            <location filename="../src/processing/CalibCtrl.cpp" line="20" />
            <source>Energy Distribution Map File (*.emp)</source>
            <translation>エネルギー分布マップファイル (*.emp)</translation>
        </message>
        <message>
            <location filename="../src/processing/CalibCtrl.cpp" line="20" />
            <source>Any Files (* *.*)</source>
            <translation>すべてのファイル (* *.*)</translation>
        </message>
    </context>
    <context>
        <name>ElemCtrl</name>
        <message>
            <location filename="../forms/ElemCtrl.ui" line="14" />
            <source>Element</source>
            <translation>元素</translation>
        </message>
        <message>
            <location filename="../forms/ElemCtrl.ui" line="100" />
            <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Expected Absorption Edge.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
            <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;予想される吸収端。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
        </message>
        <message>
            <location filename="../forms/ElemCtrl.ui" line="107" />
            <source>Pre/Post dE</source>
            <translation>前後 dE</translation>
        </message>
        <message>
            <location filename="../forms/ElemCtrl.ui" line="132" />
            <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;dmut is calculated as mu(E0+dE) - mu(E0-dE).&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
            <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;dmut は mu(E0+dE) - mu(E0-dE) として計算します。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
        </message>
        <message>
            <location filename="../forms/ElemCtrl.ui" line="139" />
            <source>dmut</source>
            <translation>吸収端ジャンプ</translation>
        </message>
        <message>
            <location filename="../forms/ElemCtrl.ui" line="171" />
            <source>Th dmut</source>
            <translation>dmut しきい値</translation>
        </message>
        <message>
            <location filename="../forms/ElemCtrl.ui" line="196" />
            <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Threshold value of the dmut.&lt;/p&gt;&lt;p&gt;When the dmut is less than the Threshold, most of the values (ROI, dmut,...) is set at BG Val.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
            <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;dmut のしきい値。&lt;/p&gt;&lt;p&gt;dmut がしきい値より小さいとき、ほとんどの値（ROI、dmut など）は BG 値になります。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
        </message>
        <message>
            <location filename="../forms/ElemCtrl.ui" line="203" />
            <source>dE</source>
            <translation>端シフト</translation>
        </message>
        <message>
            <location filename="../forms/ElemCtrl.ui" line="228" />
            <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Position of the absorption edge, where the mut is ( mu(E0+dE) + mu(E0-dE) ) / 2.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
            <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;吸収端の位置。mut が ( mu(E0+dE) + mu(E0-dE) ) / 2 となる点です。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
        </message>
        <message>
            <location filename="../forms/ElemCtrl.ui" line="235" />
            <source>ROI</source>
            <translation>ROI 範囲</translation>
        </message>
        <message>
            <location filename="../forms/ElemCtrl.ui" line="260" />
            <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Start position of the ROI.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
            <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;ROI の開始位置。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
        </message>
        <message>
            <location filename="../forms/ElemCtrl.ui" line="292" />
            <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;End position of the ROI.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
            <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;ROI の終了位置。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
        </message>
        <message>
            <location filename="../forms/ElemCtrl.ui" line="317" />
            <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;ROI Value&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
            <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;ROI 値&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
        </message>
        <message>
            <location filename="../forms/ElemCtrl.ui" line="342" />
            <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Normalized ROI value calculated as ROI / dmut.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
            <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;ROI / dmut として計算した規格化 ROI 値。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
        </message>
        <message>
            <location filename="../forms/ElemCtrl.ui" line="349" />
            <source>No Neg</source>
            <translation>負値なし</translation>
        </message>
        <message>
            <location filename="../forms/ElemCtrl.ui" line="352" />
            <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;When the ROI is negative, the BG value is used instead of the calculated one.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
            <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;ROI が負のとき、計算値の代わりに BG 値を使います。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
        </message>
        <message>
            <location filename="../forms/ElemCtrl.ui" line="359" />
            <source>Ratio</source>
            <translation>比率</translation>
        </message>
        <message>
            <location filename="../forms/ElemCtrl.ui" line="387" />
            <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Relative strength of the dmut against the dmut of selecte element as Target.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
            <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;基準に選んだ元素の dmut に対するこの dmut の相対強度。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
        </message>
        <message>
            <location filename="../forms/ElemCtrl.ui" line="394" />
            <source>Std. Ratio</source>
            <translation>標準比率</translation>
        </message>
        <message>
            <location filename="../forms/ElemCtrl.ui" line="423" />
            <source>Use</source>
            <translation>使用</translation>
        </message>
        <message>
            <location filename="../forms/ElemCtrl.ui" line="433" />
            <source>Target</source>
            <translation>基準</translation>
        </message>
        <message>
            <location filename="../forms/ElemCtrl.ui" line="440" />
            <source>Show</source>
            <translation>表示</translation>
        </message>
    </context>
    <context>
        <name>EngOfFilesSetup</name>
        <message>
            <location filename="../forms/EngOfFilesSetup.ui" line="14" />
            <source>Energy of Files Setup</source>
            <translation>ファイルのエネルギー設定</translation>
        </message>
        <message>
            <location filename="../forms/EngOfFilesSetup.ui" line="20" />
            <source>Energy Cal. from File Name</source>
            <translation>ファイル名からエネルギー算出</translation>
        </message>
        <message>
            <location filename="../forms/EngOfFilesSetup.ui" line="38" />
            <source>Pattern</source>
            <translation>パターン</translation>
        </message>
        <message>
            <location filename="../forms/EngOfFilesSetup.ui" line="45" />
            <source>Regular expression searched in each file path</source>
            <translation>各ファイルのパスから探す正規表現</translation>
        </message>
        <message>
            <location filename="../forms/EngOfFilesSetup.ui" line="55" />
            <source>Patterns</source>
            <translation>登録パターン</translation>
        </message>
        <message>
            <location filename="../forms/EngOfFilesSetup.ui" line="65" />
            <source>Factor</source>
            <translation>係数</translation>
        </message>
        <message>
            <location filename="../forms/EngOfFilesSetup.ui" line="72" />
            <source>Multiplier of the number taken from the file name</source>
            <translation>ファイル名から取り出した数値に掛ける係数</translation>
        </message>
        <message>
            <location filename="../forms/EngOfFilesSetup.ui" line="84" />
            <source>Energy Cal. from File No.</source>
            <translation>ファイル番号からエネルギー算出</translation>
        </message>
        <message>
            <location filename="../forms/EngOfFilesSetup.ui" line="99" />
            <source>Unit</source>
            <translation>単位</translation>
        </message>
        <message>
            <location filename="../forms/EngOfFilesSetup.ui" line="117" />
            <source>deg</source>
            <translation>度</translation>
        </message>
        <message>
            <location filename="../forms/EngOfFilesSetup.ui" line="125" />
            <source>Even in</source>
            <translation>等間隔</translation>
        </message>
        <message>
            <location filename="../forms/EngOfFilesSetup.ui" line="132" />
            <source>Energy</source>
            <translation>エネルギー</translation>
        </message>
        <message>
            <location filename="../forms/EngOfFilesSetup.ui" line="142" />
            <source>Angle</source>
            <translation>角度</translation>
        </message>
        <message>
            <location filename="../forms/EngOfFilesSetup.ui" line="155" />
            <source>Start</source>
            <translation>開始</translation>
        </message>
        <message>
            <location filename="../forms/EngOfFilesSetup.ui" line="169" />
            <source>End</source>
            <translation>終了</translation>
        </message>
        <message>
            <location filename="../forms/EngOfFilesSetup.ui" line="183" />
            <source>Delta</source>
            <translation>刻み</translation>
        </message>
        <message>
            <location filename="../forms/EngOfFilesSetup.ui" line="197" />
            <source>Num. of Points</source>
            <translation>点数</translation>
        </message>
        <message>
            <location filename="../forms/EngOfFilesSetup.ui" line="213" />
            <source>Energy Cal. from Ref. File</source>
            <translation>参照ファイルからエネルギー算出</translation>
        </message>
        <message>
            <location filename="../forms/EngOfFilesSetup.ui" line="228" />
            <source>Ref. File</source>
            <translation>参照ファイル</translation>
        </message>
        <message>
            <location filename="../forms/EngOfFilesSetup.ui" line="235" />
            <source>Reference file of Bragg angles</source>
            <translation>ブラッグ角の参照ファイル</translation>
        </message>
        <message>
            <location filename="../forms/EngOfFilesSetup.ui" line="242" />
            <source>Sel.</source>
            <translation>選択</translation>
        </message>
        <message>
            <location filename="../src/io/EOFSetup.cpp" line="181" />
            <source>XAFS Data File (*.dat)</source>
            <translation>XAFS データファイル (*.dat)</translation>
        </message>
        <message>
            <location filename="../src/io/EOFSetup.cpp" line="182" />
            <source>Any Files (* *.*)</source>
            <translation>すべてのファイル (* *.*)</translation>
        </message>
        <message>
            <source>What the rule gives the images loaded now</source>
            <translation>この規則で現在の画像に付くエネルギー</translation>
        </message>
        <message>
            <source>OK and Apply give the images loaded now their energies by this rule</source>
            <translation>OK と適用で、読み込み済みの画像にこの規則のエネルギーを付けます</translation>
        </message>
    </context>
    <context>
        <name>General</name>
        <message>
            <location filename="../src/app/GeneralTexts.h" line="8" />
            <source>Start</source>
            <translation>開始</translation>
        </message>
        <message>
            <location filename="../src/app/GeneralTexts.h" line="9" />
            <source>Stop</source>
            <translation>停止</translation>
        </message>
        <message>
            <location filename="../src/app/GeneralTexts.h" line="10" />
            <source>Stopping</source>
            <translation>停止中</translation>
        </message>
    </context>
    <context>
        <name>ImgProc</name>
        <message>
            <location filename="../forms/ImgProc.ui" line="6" />
            <source>Image Processor</source>
            <translation>画像処理</translation>
        </message>
        <message>
            <location filename="../forms/ImgProc.ui" line="25" />
            <source>Edge Detect</source>
            <translation>エッジ検出</translation>
        </message>
        <message>
            <location filename="../forms/ImgProc.ui" line="30" />
            <source>Binary</source>
            <translation>二値化</translation>
        </message>
        <message>
            <location filename="../forms/ImgProc.ui" line="35" />
            <source>Comp.</source>
            <translation>比較</translation>
        </message>
        <message>
            <location filename="../forms/ImgProc.ui" line="41" />
            <source>Th.</source>
            <translation>閾値</translation>
        </message>
        <message>
            <location filename="../forms/ImgProc.ui" line="60" />
            <source>Max</source>
            <translation>最大</translation>
        </message>
        <message>
            <location filename="../forms/ImgProc.ui" line="70" />
            <source>Min</source>
            <translation>最小</translation>
        </message>
        <message>
            <location filename="../forms/ImgProc.ui" line="80" />
            <source>Set Ref.</source>
            <translation>参照に設定</translation>
        </message>
        <message>
            <location filename="../forms/ImgProc.ui" line="85" />
            <source>Shift X:</source>
            <translation>シフト X:</translation>
        </message>
        <message>
            <location filename="../forms/ImgProc.ui" line="95" />
            <source>Y:</source>
            <translation>Y:</translation>
        </message>
        <message>
            <location filename="../forms/ImgProc.ui" line="105" />
            <source>S.P.</source>
            <translation>内積</translation>
        </message>
        <message>
            <location filename="../forms/ImgProc.ui" line="136" />
            <source>Auto Shift</source>
            <translation>自動シフト</translation>
        </message>
        <message>
            <location filename="../forms/ImgProc.ui" line="141" />
            <source>A. Set Shift</source>
            <translation>自動設定</translation>
        </message>
        <message>
            <location filename="../forms/ImgProc.ui" line="146" />
            <source>A. A. Shift</source>
            <translation>常時自動シフト</translation>
        </message>
        <message>
            <location filename="../forms/ImgProc.ui" line="151" />
            <source>Set Shift</source>
            <translation>シフト設定</translation>
        </message>
        <message>
            <location filename="../forms/ImgProc.ui" line="156" />
            <source>Clear All Shifts</source>
            <translation>全シフト消去</translation>
        </message>
        <message>
            <location filename="../forms/ImgProc.ui" line="161" />
            <source>Align Series</source>
            <translation>系列の位置合わせ</translation>
        </message>
        <message>
            <source>Reference image</source>
            <translation>基準画像</translation>
        </message>
        <message>
            <source>Number of the I1 image every image is aligned to (0 is the first)</source>
            <translation>すべての画像を合わせる I1 画像の番号（0 が最初）</translation>
        </message>
        <message>
            <source>Threshold (share of the strongest edge)</source>
            <translation>しきい値（最も強いエッジに対する割合）</translation>
        </message>
        <message>
            <source>An edge pixel counts when its edge is above this share of the strongest edge inside the reference image</source>
            <translation>基準画像内の最も強いエッジに対するこの割合を超えるエッジのピクセルを数えます</translation>
        </message>
        <message>
            <source>Finds and stores the shift of every I1 image against the reference image</source>
            <translation>各 I1 画像の基準画像に対するずれを求めて保存します</translation>
        </message>
        <message>
            <source>Image</source>
            <translation>画像</translation>
        </message>
        <message>
            <source>dx</source>
            <translation>dx</translation>
        </message>
        <message>
            <source>dy</source>
            <translation>dy</translation>
        </message>
        <message>
            <source>%1 of %2 images aligned to image %3: %4 moved.</source>
            <translation>%2 枚中 %1 枚を画像 %3 に位置合わせ: %4 枚を移動。</translation>
        </message>
        <message>
            <source>Largest shift %1 px (image %2: %3, %4).</source>
            <translation>最大のずれ %1 px（画像 %2: %3, %4）。</translation>
        </message>
        <message>
            <source>Nothing to compare yet: tick Edge Detect and Binary, choose a threshold and press Set Ref.; or press Align Series.</source>
            <translation>まだ比較できません: エッジ検出と二値化をオンにし、しきい値を選んで「参照に設定」を押すか、「系列の位置合わせ」を押してください。</translation>
        </message>
    </context>
    <context>
        <name>LCFReference</name>
        <message>
            <location filename="../forms/LCFReference.ui" line="14" />
            <source>LCF Reference</source>
            <translation>LCF 参照</translation>
        </message>
        <message>
            <location filename="../forms/LCFReference.ui" line="45" />
            <source>Victreen</source>
            <translation>ヴィクトリーン型</translation>
        </message>
        <message>
            <location filename="../forms/LCFReference.ui" line="55" />
            <source>dE</source>
            <translation>エネルギーシフト</translation>
        </message>
        <message>
            <location filename="../forms/LCFReference.ui" line="74" />
            <source>Energy shift of the reference [eV]</source>
            <translation>参照スペクトルのエネルギーシフト [eV]</translation>
        </message>
        <message>
            <location filename="../forms/LCFReference.ui" line="81" />
            <source>R [%]</source>
            <translation>比率 [%]</translation>
        </message>
        <message>
            <location filename="../forms/LCFReference.ui" line="100" />
            <source>Fraction of the reference [%]</source>
            <translation>参照の比率 [%]</translation>
        </message>
        <message>
            <location filename="../forms/LCFReference.ui" line="107" />
            <source>T</source>
            <translation>量</translation>
        </message>
        <message>
            <location filename="../forms/LCFReference.ui" line="126" />
            <source>Amount of the reference</source>
            <translation>参照の量</translation>
        </message>
        <message>
            <location filename="../forms/LCFReference.ui" line="133" />
            <source>dmut</source>
            <translation>吸収端ジャンプ</translation>
        </message>
        <message>
            <location filename="../forms/LCFReference.ui" line="152" />
            <source>Edge jump of the reference</source>
            <translation>参照の吸収端ジャンプ</translation>
        </message>
        <message>
            <location filename="../forms/LCFReference.ui" line="159" />
            <source>E0</source>
            <translation>吸収端 E0</translation>
        </message>
        <message>
            <location filename="../forms/LCFReference.ui" line="178" />
            <source>Edge energy of the reference [eV]</source>
            <translation>参照の吸収端エネルギー [eV]</translation>
        </message>
        <message>
            <location filename="../forms/LCFReference.ui" line="185" />
            <source>Show</source>
            <translation>表示</translation>
        </message>
        <message>
            <source>Victoreen background lines (a0 + c3 λ³ + c4 λ⁴) instead of straight ones</source>
            <translation>直線の代わりに Victoreen 型のバックグラウンド (a0 + c3 λ³ + c4 λ⁴)</translation>
        </message>
        <message>
            <source>Fraction [%]</source>
            <translation>割合 [%]</translation>
        </message>
    </context>
    <context>
        <name>SaveDataCfg</name>
        <message>
            <location filename="../forms/SaveDataCfg.ui" line="14" />
            <source>Save Data Configuration</source>
            <translation>データ保存設定</translation>
        </message>
        <message>
            <location filename="../forms/SaveDataCfg.ui" line="20" />
            <source>Save as Tiff</source>
            <translation>TIFF で保存</translation>
        </message>
        <message>
            <location filename="../forms/SaveDataCfg.ui" line="39" />
            <source>Fixed Scale</source>
            <translation>固定スケール</translation>
        </message>
        <message>
            <location filename="../forms/SaveDataCfg.ui" line="46" />
            <source>Min</source>
            <translation>最小</translation>
        </message>
        <message>
            <location filename="../forms/SaveDataCfg.ui" line="60" />
            <source>Max</source>
            <translation>最大</translation>
        </message>
        <message>
            <location filename="../forms/SaveDataCfg.ui" line="74" />
            <source>Save as Analyzed Area Size and Resolution</source>
            <translation>解析した範囲の大きさと分解能で保存</translation>
        </message>
        <message>
            <location filename="../forms/SaveDataCfg.ui" line="84" />
            <source>Save as Text data</source>
            <translation>テキストデータで保存</translation>
        </message>
        <message>
            <location filename="../forms/SaveDataCfg.ui" line="100" />
            <source>Comma Separated</source>
            <translation>カンマ区切り</translation>
        </message>
        <message>
            <location filename="../forms/SaveDataCfg.ui" line="113" />
            <source>Space Separated</source>
            <translation>スペース区切り</translation>
        </message>
        <message>
            <location filename="../forms/SaveDataCfg.ui" line="123" />
            <source>X Y Val : 1point/1line</source>
            <translation>X Y 値 : 1点/1行</translation>
        </message>
        <message>
            <location filename="../forms/SaveDataCfg.ui" line="136" />
            <source>Val1 Val2 Val3... : each Y line</source>
            <translation>値1 値2 値3... : Y の行ごと</translation>
        </message>
    </context>
    <context>
        <name>SelectDataFiles</name>
        <message>
            <location filename="../forms/SelectDataFiles.ui" line="14" />
            <source>Select Data Files</source>
            <translation>データファイル選択</translation>
        </message>
        <message>
            <location filename="../forms/SelectDataFiles.ui" line="40" />
            <source>Choose image files (or drop them on this panel)</source>
            <translation>画像ファイルを選択 (このパネルへのドロップも可)</translation>
        </message>
        <message>
            <location filename="../forms/SelectDataFiles.ui" line="43" />
            <source>Select</source>
            <translation>選択</translation>
        </message>
        <message>
            <location filename="../forms/SelectDataFiles.ui" line="50" />
            <source>Load New Files</source>
            <translation>新規読込</translation>
        </message>
        <message>
            <location filename="../forms/SelectDataFiles.ui" line="63" />
            <source>Add Files</source>
            <translation>追加読込</translation>
        </message>
        <message>
            <location filename="../forms/SelectDataFiles.ui" line="86" />
            <source>Clear</source>
            <translation>クリア</translation>
        </message>
        <message>
            <location filename="../forms/SelectDataFiles.ui" line="93" />
            <source>How the energy of each image is obtained</source>
            <translation>各画像のエネルギーの求め方</translation>
        </message>
        <message>
            <location filename="../forms/SelectDataFiles.ui" line="96" />
            <source>Energy Setup</source>
            <translation>エネルギー設定</translation>
        </message>
        <message>
            <location filename="../forms/SelectDataFiles.ui" line="107" />
            <source>Skip</source>
            <translation>間引き</translation>
        </message>
        <message>
            <location filename="../forms/SelectDataFiles.ui" line="127" />
            <source>Cut First</source>
            <translation>先頭除外</translation>
        </message>
        <message>
            <location filename="../forms/SelectDataFiles.ui" line="147" />
            <source>Cut Last</source>
            <translation>末尾除外</translation>
        </message>
        <message>
            <location filename="../forms/SelectDataFiles.ui" line="180" />
            <source>Show Latest</source>
            <translation>最新を表示</translation>
        </message>
        <message>
            <location filename="../forms/SelectDataFiles.ui" line="207" />
            <source>Images:</source>
            <translation>画像数:</translation>
        </message>
        <message>
            <location filename="../forms/SelectDataFiles.ui" line="221" />
            <source>Images read so far / images to read</source>
            <translation>読込済み画像数 / 読込予定画像数</translation>
        </message>
        <message>
            <location filename="../src/io/SelectDataFiles.cpp" line="103" />
            <source>Energy of Files: %1</source>
            <translation>ファイルのエネルギー: %1</translation>
        </message>
        <message>
            <location filename="../src/io/SelectDataFiles.cpp" line="250" />
            <source>CTTR Files, IMG Files, Tiff Files (*.dat *.img *.tif *.tiff)</source>
            <translation>CTTR ファイル, IMG ファイル, Tiff ファイル (*.dat *.img *.tif *.tiff)</translation>
        </message>
        <message>
            <location filename="../src/io/SelectDataFiles.cpp" line="251" />
            <source>Any Files (* *.*)</source>
            <translation>すべてのファイル (* *.*)</translation>
        </message>
        <message>
            <source>Open an HDF5 scan file: images, flat and dark fields, energies</source>
            <translation>HDF5 スキャンファイルを開く: 画像、フラット、ダーク、エネルギー</translation>
        </message>
        <message>
            <source>HDF5...</source>
            <translation>HDF5...</translation>
        </message>
        <message>
            <source>Energy of the selected image (Energy Setup)</source>
            <translation>選択した画像のエネルギー（エネルギー設定）</translation>
        </message>
        <message>
            <source>no energy</source>
            <translation>エネルギーなし</translation>
        </message>
        <message>
            <source>%1 eV</source>
            <translation>%1 eV</translation>
        </message>
        <message>
            <source>HDF5 Files (*.h5 *.hdf5 *.hdf *.nxs)</source>
            <translation>HDF5 ファイル (*.h5 *.hdf5 *.hdf *.nxs)</translation>
        </message>
        <message>
            <source>TXRM/XRM Files (*.txrm *.xrm)</source>
            <translation>TXRM/XRM ファイル (*.txrm *.xrm)</translation>
        </message>
    </context>
    <context>
        <name>XafsFileSelect</name>
        <message>
            <location filename="../forms/XafsFileSelect.ui" line="+14" />
            <source>XAFS File Select</source>
            <translation>XAFSファイル選択</translation>
        </message>
        <message>
            <location line="+18" />
            <source>Use</source>
            <translation>使用</translation>
        </message>
        <message>
            <location line="+10" />
            <source>Select</source>
            <translation>選択</translation>
        </message>
        <message>
            <location line="+17" />
            <source>Clear</source>
            <translation>クリア</translation>
        </message>
        <message>
            <location filename="../src/widgets/XafsFileSelect.cpp" line="+81" />
            <source>XAFS Data File (*.dat)</source>
            <translation>XAFS データファイル (*.dat)</translation>
        </message>
        <message>
            <location line="+0" />
            <source>Any Files (* *.*)</source>
            <translation>すべてのファイル (* *.*)</translation>
        </message>
    </context>
    <context>
        <name>XafsView</name>
        <message>
            <location filename="../forms/XafsView.ui" line="14" />
            <source>XAFS</source>
            <translation>XAFS</translation>
        </message>
        <message>
            <location filename="../forms/XafsView.ui" line="80" />
            <source>Normalized</source>
            <translation>規格化</translation>
        </message>
        <message>
            <location filename="../forms/XafsView.ui" line="90" />
            <source>E. Correct</source>
            <translation>エネルギー補正</translation>
        </message>
        <message>
            <location filename="../forms/XafsView.ui" line="100" />
            <source>Raw</source>
            <translation>生データ</translation>
        </message>
        <message>
            <location filename="../forms/XafsView.ui" line="107" />
            <source>FFT</source>
            <translation>FFT</translation>
        </message>
        <message>
            <location filename="../forms/XafsView.ui" line="127" />
            <source>Save</source>
            <translation>保存</translation>
        </message>
        <message>
            <location filename="../src/widgets/XafsView.cpp" line="169" />
            <location filename="../src/widgets/XafsView.cpp" line="171" />
            <source>Energy [eV]</source>
            <translation>エネルギー [eV]</translation>
        </message>
        <message>
            <location filename="../src/widgets/XafsView.cpp" line="169" />
            <source>Normalized mu t</source>
            <translation>規格化 μt</translation>
        </message>
        <message>
            <location filename="../src/widgets/XafsView.cpp" line="171" />
            <source>mu t</source>
            <translation>μt</translation>
        </message>
        <message>
            <location filename="../src/widgets/XafsView.cpp" line="173" />
            <source>Image number</source>
            <translation>画像番号</translation>
        </message>
        <message>
            <location filename="../src/widgets/XafsView.cpp" line="173" />
            <source>Intensity</source>
            <translation>強度</translation>
        </message>
        <message>
            <location filename="../src/widgets/XafsView.cpp" line="175" />
            <source>Frequency index</source>
            <translation>周波数番号</translation>
        </message>
        <message>
            <location filename="../src/widgets/XafsView.cpp" line="175" />
            <source>|F|</source>
            <translation>|F|</translation>
        </message>
        <message>
            <location filename="../src/widgets/XafsView.cpp" line="269" />
            <source>Save Spectra</source>
            <translation>スペクトルの保存</translation>
        </message>
        <message>
            <location filename="../src/widgets/XafsView.cpp" line="272" />
            <source>Data File (*.dat)</source>
            <translation>データファイル (*.dat)</translation>
        </message>
        <message>
            <location filename="../src/widgets/XafsView.cpp" line="272" />
            <source>Any Files (* *.*)</source>
            <translation>すべてのファイル (* *.*)</translation>
        </message>
        <message>
            <source>Image number (no energies: see Energy Setup)</source>
            <translation>画像番号（エネルギーなし: エネルギー設定を参照）</translation>
        </message>
    </context>
    <context>
        <name>EOFSetup</name>
        <message>
            <source>No images are loaded yet: the rule applies to the images as they arrive.</source>
            <translation>画像はまだ読み込まれていません: 規則は読み込まれる画像に適用されます。</translation>
        </message>
        <message>
            <source>No loaded file name matches: the %1 images would be numbered 0 ... %2 instead of getting energies.</source>
            <translation>一致するファイル名がありません: %1 枚の画像にはエネルギーではなく番号 0 ... %2 が付きます。</translation>
        </message>
        <message>
            <source>%1 of %2 loaded images get an energy: %3 ... %4 eV.</source>
            <translation>読み込まれた %2 枚のうち %1 枚にエネルギーが付きます: %3 ... %4 eV。</translation>
        </message>
    </context>
    <context>
        <name>Hdf5StackDialog</name>
        <message>
            <source>HDF5 Scan</source>
            <translation>HDF5 スキャン</translation>
        </message>
        <message>
            <source>Dataset</source>
            <translation>データセット</translation>
        </message>
        <message>
            <source>Shape</source>
            <translation>形状</translation>
        </message>
        <message>
            <source>Type</source>
            <translation>型</translation>
        </message>
        <message>
            <source>Filters</source>
            <translation>フィルタ</translation>
        </message>
        <message>
            <source>Images (I1)</source>
            <translation>画像 (I1)</translation>
        </message>
        <message>
            <source>Flat fields (I0)</source>
            <translation>フラット (I0)</translation>
        </message>
        <message>
            <source>Dark frames</source>
            <translation>ダークフレーム</translation>
        </message>
        <message>
            <source>Energies</source>
            <translation>エネルギー</translation>
        </message>
        <message>
            <source>unit from file</source>
            <translation>単位はファイルから</translation>
        </message>
        <message>
            <source>(none)</source>
            <translation>（なし）</translation>
        </message>
        <message>
            <source>missing: %1</source>
            <translation>見つかりません: %1</translation>
        </message>
        <message>
            <source>HDF5 Dark Frames</source>
            <translation>HDF5 ダークフレーム</translation>
        </message>
        <message>
            <source>No known layout: choose the datasets.</source>
            <translation>既知のレイアウトではありません: データセットを選んでください。</translation>
        </message>
        <message>
            <source>Recognised layout: %1</source>
            <translation>認識したレイアウト: %1</translation>
        </message>
        <message>
            <source>Choose the dataset of the dark frames.</source>
            <translation>ダークフレームのデータセットを選んでください。</translation>
        </message>
    </context>
    <context>
        <name>JobProgressBar</name>
        <message>
            <source>Stopped at %1 %</source>
            <translation>%1 % で停止</translation>
        </message>
        <message>
            <source>Done: %1 in %2 s</source>
            <translation>完了: %1（%2 秒）</translation>
        </message>
        <message>
            <source>Running: %1</source>
            <translation>実行中: %1</translation>
        </message>
    </context>
    <context>
        <name>MapsExtraPanel</name>
        <message>
            <source>Edge maps, PCA and clusters</source>
            <translation>エッジマップ・PCA・クラスター</translation>
        </message>
        <message>
            <source>Show map:</source>
            <translation>マップ表示:</translation>
        </message>
        <message>
            <source>Scree and spectra</source>
            <translation>スクリーとスペクトル</translation>
        </message>
        <message>
            <source>The white line is the top of the normalised spectrum within [E0, E0 + W]</source>
            <translation>ホワイトラインは [E0, E0 + W] 内の規格化スペクトルの最大点です</translation>
        </message>
        <message>
            <source>Principal components kept (score maps, component spectra)</source>
            <translation>残す主成分の数（スコアマップ、成分スペクトル）</translation>
        </message>
        <message>
            <source>The same seed gives the same clusters</source>
            <translation>同じシードからは同じクラスターが得られます</translation>
        </message>
        <message>
            <source>Edge maps</source>
            <translation>エッジマップ</translation>
        </message>
        <message>
            <source>PCA</source>
            <translation>PCA</translation>
        </message>
        <message>
            <source>k-means</source>
            <translation>k-means</translation>
        </message>
        <message>
            <source>E0, edge jump, white-line energy and height of every block</source>
            <translation>各ブロックの E0、エッジジャンプ、ホワイトラインのエネルギーと高さ</translation>
        </message>
        <message>
            <source>PCA of the normalised spectra of the blocks inside the sample (edge jump at or above the mask threshold)</source>
            <translation>試料内ブロック（エッジジャンプがマスクしきい値以上）の規格化スペクトルの PCA</translation>
        </message>
        <message>
            <source>k-means clusters of the first PCA scores</source>
            <translation>先頭の PCA スコアによる k-means クラスター</translation>
        </message>
        <message>
            <source>Saves the cluster's mean spectrum as a spectrum file and puts it into a free reference row, in use</source>
            <translation>クラスターの平均スペクトルをスペクトルファイルに保存し、空いている参照行に使用中として入れます</translation>
        </message>
        <message>
            <source>White-line window W</source>
            <translation>ホワイトライン窓 W</translation>
        </message>
        <message>
            <source>Components n</source>
            <translation>成分数 n</translation>
        </message>
        <message>
            <source>Clusters k</source>
            <translation>クラスター数 k</translation>
        </message>
        <message>
            <source>Seed</source>
            <translation>シード</translation>
        </message>
        <message>
            <source>Cluster</source>
            <translation>クラスター</translation>
        </message>
        <message>
            <source>Use as reference</source>
            <translation>参照として使う</translation>
        </message>
        <message>
            <source>(no maps yet)</source>
            <translation>（まだマップはありません）</translation>
        </message>
        <message>
            <source>Stop</source>
            <translation>停止</translation>
        </message>
    </context>
    <context>
        <name>PcaSpectraWindow</name>
        <message>
            <source>Component spectra</source>
            <translation>成分スペクトル</translation>
        </message>
        <message>
            <source>Cluster mean spectra</source>
            <translation>クラスター平均スペクトル</translation>
        </message>
        <message>
            <source>PCA and clusters</source>
            <translation>PCA とクラスター</translation>
        </message>
        <message>
            <source>explained variance</source>
            <translation>寄与率</translation>
        </message>
        <message>
            <source>Component</source>
            <translation>成分</translation>
        </message>
        <message>
            <source>Explained variance [%]</source>
            <translation>寄与率 [%]</translation>
        </message>
        <message>
            <source>cluster %1 (%2 blocks)</source>
            <translation>クラスター %1（%2 ブロック）</translation>
        </message>
        <message>
            <source>cluster %1</source>
            <translation>クラスター %1</translation>
        </message>
        <message>
            <source>component %1</source>
            <translation>成分 %1</translation>
        </message>
        <message>
            <source>Energy [eV]</source>
            <translation>エネルギー [eV]</translation>
        </message>
        <message>
            <source>Normalized mu t</source>
            <translation>規格化 mu t</translation>
        </message>
        <message>
            <source>Component weight</source>
            <translation>成分の重み</translation>
        </message>
    </context>
    <context>
        <name>MapsExtraController</name>
        <message>
            <source>E0 (eV)</source>
            <translation>E0 (eV)</translation>
        </message>
        <message>
            <source>Edge jump</source>
            <translation>エッジジャンプ</translation>
        </message>
        <message>
            <source>White-line energy (eV)</source>
            <translation>ホワイトラインのエネルギー (eV)</translation>
        </message>
        <message>
            <source>White-line height</source>
            <translation>ホワイトラインの高さ</translation>
        </message>
        <message>
            <source>PCA score %1</source>
            <translation>PCA スコア %1</translation>
        </message>
        <message>
            <source>Clusters (k = %1, seed %2)</source>
            <translation>クラスター（k = %1、シード %2）</translation>
        </message>
    </context>
</TS>
