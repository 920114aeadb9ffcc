<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>BatchCtrl</name>
    <message>
        <location filename="../forms/BatchCtrl.ui" line="14"/>
        <source>Batch Control</source>
        <translation>バッチ制御</translation>
    </message>
    <message>
        <location filename="../forms/BatchCtrl.ui" line="24"/>
        <source>Batch Cmds</source>
        <translation>バッチコマンド</translation>
    </message>
    <message>
        <location filename="../forms/BatchCtrl.ui" line="38"/>
        <source>Progress Log</source>
        <translation>進行ログ</translation>
    </message>
    <message>
        <location filename="../forms/BatchCtrl.ui" line="57"/>
        <source>Load</source>
        <translation>読込</translation>
    </message>
    <message>
        <location filename="../forms/BatchCtrl.ui" line="64"/>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <location filename="../forms/BatchCtrl.ui" line="71"/>
        <source>Clear Log</source>
        <translation>ログ消去</translation>
    </message>
    <message>
        <location filename="../forms/BatchCtrl.ui" line="78"/>
        <source>Clear</source>
        <translation>消去</translation>
    </message>
    <message>
        <location filename="../forms/BatchCtrl.ui" line="98"/>
        <source>Exec.</source>
        <translation>実行</translation>
    </message>
    <message>
        <location filename="../forms/BatchCtrl.ui" line="105"/>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <location filename="../src/batch/BatchCtrl.cpp" line="40"/>
        <source>Batch File (*.bat)</source>
        <translation>バッチファイル (*.bat)</translation>
    </message>
    <message>
        <location filename="../src/batch/BatchCtrl.cpp" line="40"/>
        <source>Any Files (* *.*)</source>
        <translation>すべてのファイル (* *.*)</translation>
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
    <name>SaveDataCfg</name>
    <message>
        <location filename="../forms/SaveDataCfg.ui" line="14"/>
        <source>Save Data Configuration</source>
        <translation>データ保存設定</translation>
    </message>
    <message>
        <location filename="../forms/SaveDataCfg.ui" line="20"/>
        <source>Save as Tiff</source>
        <translation>TIFF で保存</translation>
    </message>
    <message>
        <location filename="../forms/SaveDataCfg.ui" line="39"/>
        <source>Fixed Scale</source>
        <translation>固定スケール</translation>
    </message>
    <message>
        <location filename="../forms/SaveDataCfg.ui" line="46"/>
        <source>Min</source>
        <translation>最小</translation>
    </message>
    <message>
        <location filename="../forms/SaveDataCfg.ui" line="60"/>
        <source>Max</source>
        <translation>最大</translation>
    </message>
    <message>
        <location filename="../forms/SaveDataCfg.ui" line="74"/>
        <source>Save as Analyzed Area Size and Resolution</source>
        <translation>解析した範囲の大きさと分解能で保存</translation>
    </message>
    <message>
        <location filename="../forms/SaveDataCfg.ui" line="84"/>
        <source>Save as Text data</source>
        <translation>テキストデータで保存</translation>
    </message>
    <message>
        <location filename="../forms/SaveDataCfg.ui" line="100"/>
        <source>Comma Separated</source>
        <translation>カンマ区切り</translation>
    </message>
    <message>
        <location filename="../forms/SaveDataCfg.ui" line="113"/>
        <source>Space Separated</source>
        <translation>スペース区切り</translation>
    </message>
    <message>
        <location filename="../forms/SaveDataCfg.ui" line="123"/>
        <source>X Y Val : 1point/1line</source>
        <translation>X Y 値 : 1点/1行</translation>
    </message>
    <message>
        <location filename="../forms/SaveDataCfg.ui" line="136"/>
        <source>Val1 Val2 Val3... : each Y line</source>
        <translation>値1 値2 値3... : Y の行ごと</translation>
    </message>
</context>
</TS>
