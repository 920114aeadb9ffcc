<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
    <context>
        <name>Body</name>
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
    </context>
</TS>
