<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
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
        <location filename="../forms/Body.ui" line="168"/>
        <source>Set All</source>
        <translation>全画像に適用</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="195"/>
        <source>Position: </source>
        <translation>位置: </translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="225"/>
        <source>   E-shift from Std.: </source>
        <translation>   標準からのEシフト: </translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="239"/>
        <source>    E-Shift Tbl.: </source>
        <translation>    Eシフト表: </translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="260"/>
        <source>Chk Vals</source>
        <translation>値確認</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="267"/>
        <source>Batch Ctrl.</source>
        <translation>バッチ制御</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="278"/>
        <source>Show Spectrum</source>
        <translation>スペクトル表示</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="285"/>
        <source>Show Analyzer</source>
        <translation>解析ウィンドウ</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="292"/>
        <source>Show Cali. Ctrl.</source>
        <translation>校正ウィンドウ</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="299"/>
        <source>Show Img. Proc.</source>
        <translation>画像処理ウィンドウ</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="313"/>
        <source>Img. Select :</source>
        <translation>表示画像 :</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="320"/>
        <source>Data</source>
        <translation>データ</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="337"/>
        <source>Shift</source>
        <translation>シフト</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="344"/>
        <source>Res. Analysis</source>
        <translation>解析結果</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="357"/>
        <source>Save Img/Data</source>
        <translation>画像/データ保存</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="363"/>
        <source>Save Flat Dark</source>
        <translation>フラット/ダーク保存</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="370"/>
        <source>Cfg.</source>
        <translation>設定</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="377"/>
        <source>Save Data</source>
        <translation>データ保存</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="384"/>
        <source>Save Image</source>
        <translation>画像保存</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="399"/>
        <source>Save Proc. Data</source>
        <translation>処理データ保存</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="405"/>
        <source>Save Each Spectrum</source>
        <translation>各点のスペクトル保存</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="412"/>
        <source>XAFS</source>
        <translation>XAFS</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="422"/>
        <source>Raw</source>
        <translation>生データ</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="437"/>
        <source>DeGlitch</source>
        <translation>グリッチ除去</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="476"/>
        <source>de Glitch</source>
        <translation>グリッチ除去</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="479"/>
        <source>Deglitch Selected Map</source>
        <translation>選択マップのグリッチ除去</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="486"/>
        <source>NES</source>
        <translation>NES</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="489"/>
        <source>Deglitch E-Shift Map</source>
        <translation>Eシフトマップのグリッチ除去</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="504"/>
        <source>Extra</source>
        <translation>その他</translation>
    </message>
    <message>
        <location filename="../forms/Body.ui" line="510"/>
        <source>Exec F.A.</source>
        <translation>フーリエ解析実行</translation>
    </message>
</context>
<context>
    <name>General</name>
    <message>
        <source>Start</source>
        <translation>開始</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Stopping</source>
        <translation>停止中</translation>
    </message>
</context>
</TS>
