<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>CLMeterDlg</name>
    <message>
        <source>Lメータ設定</source>
        <translation>L meter settings</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>C1の値</source>
        <translation>C1:</translation>
    </message>
    <message>
        <source>C2の値</source>
        <translation>C2:</translation>
    </message>
    <message>
        <source>%1の値には数値を入力してください。</source>
        <translation>Enter a number for %1.</translation>
    </message>
    <message>
        <source>%1の値には 0.000001 から 100 までの数値を入力してください。</source>
        <translation>Enter a number from 0.000001 to 100 for %1.</translation>
    </message>
</context>
<context>
    <name>CPortDlg</name>
    <message>
        <source>シリアルポートの条件</source>
        <translation>Serial port settings</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>ポート番号</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>通信速度</source>
        <translation>Speed</translation>
    </message>
</context>
<context>
    <name>CSelectBitmap</name>
    <message>
        <source>フォントの選択</source>
        <translation>Select font</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>フォントの種類:</source>
        <translation>Fonts:</translation>
    </message>
    <message>
        <source>フォントのサンプル</source>
        <translation>Sample</translation>
    </message>
</context>
<context>
    <name>CommandTexts</name>
    <message>
        <source>終了しますか？</source>
        <translation>Do you want to exit?</translation>
    </message>
    <message>
        <source>ポートを閉じますか？</source>
        <translation>Close the port?</translation>
    </message>
    <message>
        <source>設定を保存できませんでした: %1: %2</source>
        <translation>The settings were not saved: %1: %2</translation>
    </message>
    <message>
        <source>ホームフォルダがありません（HOME が未設定で、ユーザーのパスワードエントリもありません）</source>
        <translation>no home folder (HOME is not set and the user has no password entry)</translation>
    </message>
</context>
<context>
    <name>LogTexts</name>
    <message>
        <source>通常のファイルではありません</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>メモリが足りません</source>
        <translation>out of memory</translation>
    </message>
    <message>
        <source>削除されたか名前が変更されました</source>
        <translation>removed or renamed</translation>
    </message>
    <message>
        <source>ログの記録を停止しました: %1: %2</source>
        <translation>Logging stopped: %1: %2</translation>
    </message>
    <message>
        <source>ログの記録を開始できません: %1: %2</source>
        <translation>Logging could not start: %1: %2</translation>
    </message>
    <message>
        <source>（最後の行は途中で切れています）</source>
        <translation> (the last row is cut short)</translation>
    </message>
    <message>
        <source>%1 件の読み取り値を %2 に記録できませんでした: ディスクの書き込みが追いつきませんでした。</source>
        <translation>%1 readings were not logged to %2: the disk did not keep up.</translation>
    </message>
</context>
<context>
    <name>Menu131</name>
    <message>
        <source>切断[COM%1](&amp;P)</source>
        <translation>&amp;Disconnect [COM%1]</translation>
    </message>
    <message>
        <source>接続(&amp;P)</source>
        <translation>&amp;Connect</translation>
    </message>
    <message>
        <source>設定(&amp;S)</source>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <source>常に最前面に表示(&amp;T)</source>
        <translation>Always on &amp;Top</translation>
    </message>
    <message>
        <source>フォント変更(&amp;F)</source>
        <translation>Change &amp;Font...</translation>
    </message>
    <message>
        <source>Lメータ表示(L)</source>
        <translation>Show &amp;L meter</translation>
    </message>
    <message>
        <source>Lメータ設定</source>
        <translation>L meter &amp;settings...</translation>
    </message>
    <message>
        <source>統計(&amp;I)</source>
        <translation>Stat&amp;istics</translation>
    </message>
    <message>
        <source>最小化(&amp;N)</source>
        <translation>Mi&amp;nimize</translation>
    </message>
    <message>
        <source>このソフトについて(&amp;A)</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
</context>
<context>
    <name>MessageBox</name>
    <message>
        <source>はい(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>いいえ(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
</context>
<context>
    <name>AdapterInfo</name>
    <message>
        <source>デバイスなし</source>
        <translation>no device</translation>
    </message>
    <message>
        <source>%1 (接続中)</source>
        <translation>%1 (present)</translation>
    </message>
    <message>
        <source>%1 (未接続)</source>
        <translation>%1 (not present)</translation>
    </message>
    <message>
        <source>メーカー: %1</source>
        <translation>Maker: %1</translation>
    </message>
    <message>
        <source>製品: %1</source>
        <translation>Product: %1</translation>
    </message>
    <message>
        <source>シリアル番号: %1</source>
        <translation>Serial number: %1</translation>
    </message>
    <message>
        <source>固定名: %1</source>
        <translation>Stable name: %1</translation>
    </message>
</context>
<context>
    <name>OpenFailureText</name>
    <message>
        <source>設定ファイル</source>
        <translation>the settings file</translation>
    </message>
    <message>
        <source>%1: アクセスが拒否されました。グループ %2 のメンバーが使えます。&quot;sudo usermod -aG %2 $USER&quot; でグループに加わり、ログアウトしてからログインし直してください。</source>
        <translation>%1: permission denied. Members of group %2 may use it: join it with &quot;sudo usermod -aG %2 $USER&quot;, then log out and log in again.</translation>
    </message>
    <message>
        <source>%1: アクセスが拒否されました。</source>
        <translation>%1: permission denied.</translation>
    </message>
    <message>
        <source>%1: アクセスが拒否されました (所有者 %2、グループ %3、モード %4)。</source>
        <translation>%1: permission denied (owner %2, group %3, mode %4).</translation>
    </message>
    <message>
        <source>%1 がありません。カウンタはつながっていますか？ %3 の [Port] の行 %2=%4 が %2 をこれに割り当てています。</source>
        <translation>%1 does not exist: is the counter plugged in? The line %2=%4 in [Port] of %3 maps %2 to it.</translation>
    </message>
    <message>
        <source>%1 がありません。カウンタはつながっていますか？ %3 の [Port] に %2=&lt;デバイス&gt; の行を書くと、%2 をどのデバイスにも割り当てられます。</source>
        <translation>%1 does not exist: is the counter plugged in? A line %2=&lt;device&gt; in [Port] of %3 maps %2 to any device.</translation>
    </message>
    <message>
        <source>%1 がありません。カウンタはつながっていますか？</source>
        <translation>%1 does not exist: is the counter plugged in?</translation>
    </message>
    <message>
        <source>%1 は別のプログラムが使っています。そのプログラムを閉じてから、接続し直してください。</source>
        <translation>%1 is in use by another program: close it, then connect again.</translation>
    </message>
    <message>
        <source>%1 は別のプログラム (PID %2) が使っています。そのプログラムを閉じてから、接続し直してください。</source>
        <translation>%1 is in use by another program (PID %2): close it, then connect again.</translation>
    </message>
    <message>
        <source>%1 は %2 (PID %3) が使っています。そのプログラムを閉じてから、接続し直してください。</source>
        <translation>%1 is in use by %2 (PID %3): close it, then connect again.</translation>
    </message>
    <message>
        <source>%1 をロックできません。%2 はロックファイルではなく、フォルダか特殊なファイルです。これを削除してから、接続し直してください。</source>
        <translation>%1 cannot be locked: %2 is no lock file but a folder or a special file. Remove it, then connect again.</translation>
    </message>
    <message>
        <source>%1 は使われていませんが、終了したプログラムが残したロックファイル %2 は %3 のもので、削除できません。&quot;sudo rm %2&quot; で削除してから、接続し直してください。</source>
        <translation>%1 is not in use, but the lock file %2 that an ended program left belongs to %3 and cannot be removed: remove it with &quot;sudo rm %2&quot;, then connect again.</translation>
    </message>
    <message>
        <source>%1 には排他使用の印が付いていますが、ロックで持ち主を示すものはなく、あなたのプログラムはどれも開いていません。ほかのユーザーのプログラムが使っているのでなければ、終了したプログラムが印を残しました。アダプタを抜き差しする (擬似端末なら、その反対側を開いているプログラムを終了する) か、一度 root で Pelmora から開くと印は消えます。</source>
        <translation>%1 is marked exclusive, though no lock names a holder and no program of yours has it open: unless a program of another user holds it, a program that ended left the mark. Unplugging the adapter clears it (for a pseudo-terminal, ending the program that holds its other side), and so does opening it once with Pelmora as root.</translation>
    </message>
    <message>
        <source>%1 を開けませんでした。</source>
        <translation>%1 could not be opened.</translation>
    </message>
    <message>
        <source>%1 を開けませんでした (%2)。</source>
        <translation>%1: %2.</translation>
    </message>
    <message>
        <source>ポート番号が選ばれていません。シリアルポートの条件で選んでください。</source>
        <translation>No port is selected: choose one in the port dialog.</translation>
    </message>
    <message>
        <source>通信速度が選ばれていません。シリアルポートの条件で選んでください。</source>
        <translation>No speed is selected: choose one in the port dialog.</translation>
    </message>
    <message>
        <source>%1 にはデバイスがありません。%2 の [Port] に %1=&lt;デバイス&gt; の行を加えてください。</source>
        <translation>%1 has no device: add a line %1=&lt;device&gt; to [Port] of %2.</translation>
    </message>
    <message>
        <source>%1 はシリアルポートではありません。</source>
        <translation>%1 is not a serial port.</translation>
    </message>
    <message>
        <source>%1 はシリアルポートではありません。%3 の [Port] の %2= にカウンタのデバイスを書いてください。</source>
        <translation>%1 is not a serial port: point %2= in [Port] of %3 at the counter&apos;s device.</translation>
    </message>
</context>
<context>
    <name>DeviationPlot</name>
    <message>
        <source>安定度の曲線には測定値がまだ足りません</source>
        <translation>Too few readings for a stability curve yet</translation>
    </message>
    <message>
        <source>周波数が一度も変わっていません</source>
        <translation>The frequency never changed: every deviation is 0</translation>
    </message>
    <message>
        <source>平均化時間 τ (s)</source>
        <translation>Averaging time τ (s)</translation>
    </message>
    <message>
        <source>偏差 σ(τ)</source>
        <translation>Deviation σ(τ)</translation>
    </message>
</context>
<context>
    <name>FiguresPanel</name>
    <message>
        <source>公称値からの偏差</source>
        <translation>Offset from nominal</translation>
    </message>
    <message>
        <source>公称値からの偏差 (Hz)</source>
        <translation>Offset from nominal (Hz)</translation>
    </message>
    <message>
        <source>周波数</source>
        <translation>Frequency</translation>
    </message>
    <message>
        <source>件数</source>
        <translation>Count</translation>
    </message>
    <message>
        <source>最新値</source>
        <translation>Last</translation>
    </message>
    <message>
        <source>平均</source>
        <translation>Mean</translation>
    </message>
    <message>
        <source>標準偏差</source>
        <translation>Standard deviation</translation>
    </message>
    <message>
        <source>最小</source>
        <translation>Minimum</translation>
    </message>
    <message>
        <source>最大</source>
        <translation>Maximum</translation>
    </message>
    <message>
        <source>最大 − 最小</source>
        <translation>Peak to peak</translation>
    </message>
    <message>
        <source>移動平均</source>
        <translation>Moving average</translation>
    </message>
    <message>
        <source>ドリフト</source>
        <translation>Drift</translation>
    </message>
    <message>
        <source>ドリフト (ppm/h)</source>
        <translation>Drift (ppm/h)</translation>
    </message>
    <message>
        <source>経過時間</source>
        <translation>Elapsed</translation>
    </message>
    <message>
        <source>欠測</source>
        <translation>Gaps</translation>
    </message>
    <message>
        <source>Lメータ</source>
        <translation>L meter</translation>
    </message>
    <message>
        <source>%1 (%2 件)</source>
        <translation>%1 (%2 readings)</translation>
    </message>
</context>
<context>
    <name>StatsWindow</name>
    <message>
        <source>統計</source>
        <translation>Statistics</translation>
    </message>
    <message>
        <source>トレンド</source>
        <translation>Trend</translation>
    </message>
    <message>
        <source>安定度 (ADEV、MDEV、HDEV)</source>
        <translation>Stability (ADEV, MDEV, HDEV)</translation>
    </message>
    <message>
        <source>公称値(&amp;N):</source>
        <translation>&amp;Nominal:</translation>
    </message>
    <message>
        <source>平均値を公称値に(&amp;M)</source>
        <translation>Use the &amp;mean</translation>
    </message>
    <message>
        <source>公称値</source>
        <translation>Nominal</translation>
    </message>
    <message>
        <source>%1 件</source>
        <translation>%1 readings</translation>
    </message>
    <message>
        <source>移動平均(&amp;A):</source>
        <translation>Moving &amp;average:</translation>
    </message>
    <message>
        <source>最近 %1 分</source>
        <translation>Last %1 min</translation>
    </message>
    <message>
        <source>全体</source>
        <translation>Whole run</translation>
    </message>
    <message>
        <source>トレンドの範囲(&amp;T):</source>
        <translation>&amp;Trend span:</translation>
    </message>
    <message>
        <source>リセット(&amp;R)</source>
        <translation>&amp;Reset</translation>
    </message>
    <message>
        <source>ホールド(&amp;H)</source>
        <translation>&amp;Hold</translation>
    </message>
    <message>
        <source>コピー(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>プロットを保存(&amp;P)...</source>
        <translation>Save &amp;plots...</translation>
    </message>
    <message>
        <source>τ %1 s: %2; </source>
        <translation>τ %1 s: %2; </translation>
    </message>
    <message>
        <source>平均 %1、標準偏差 %2 Hz</source>
        <translation>mean %1, standard deviation %2 Hz</translation>
    </message>
    <message>
        <source>公称値を入力してください。</source>
        <translation>Enter a nominal frequency.</translation>
    </message>
    <message>
        <source>公称値は 10M、10.000 MHz、32768、32.768 kHz のように、小数点に . を使って入力してください。</source>
        <translation>Type the nominal as a number with . as the decimal point, such as 10M, 10.000 MHz, 32768 or 32.768 kHz.</translation>
    </message>
    <message>
        <source>数値のあとには k、M、G と Hz だけを書けます。</source>
        <translation>Only k, M, G and Hz may follow the number.</translation>
    </message>
    <message>
        <source>公称値は 1 Hz から 10 GHz までです。</source>
        <translation>The nominal must lie between 1 Hz and 10 GHz.</translation>
    </message>
    <message>
        <source>公称値は %1 Hz のままです。</source>
        <translation>The nominal stays %1 Hz.</translation>
    </message>
    <message>
        <source>プロットを保存</source>
        <translation>Save plots</translation>
    </message>
    <message>
        <source>PNG 画像 (*.png)</source>
        <translation>PNG images (*.png)</translation>
    </message>
    <message>
        <source>%1 に書き込めませんでした。</source>
        <translation>%1 could not be written.</translation>
    </message>
</context>
<context>
    <name>TrendPlot</name>
    <message>
        <source>測定値がありません</source>
        <translation>No readings yet</translation>
    </message>
    <message>
        <source>時間 (%1)</source>
        <translation>Time (%1)</translation>
    </message>
    <message>
        <source>公称値からの偏差 (%1)</source>
        <translation>Offset from nominal (%1)</translation>
    </message>
</context>
<context>
    <name>ShareTexts</name>
    <message>
        <source>読み取り値を共有できません。別のプログラムが共有しています: %1</source>
        <translation>The readings are not shared: another program serves %1</translation>
    </message>
    <message>
        <source>読み取り値をTCPで共有できません: %1</source>
        <translation>The readings are not served on TCP: %1</translation>
    </message>
    <message>
        <source>読み取り値を共有できません: %1</source>
        <translation>The readings are not shared: %1</translation>
    </message>
</context>
</TS>
