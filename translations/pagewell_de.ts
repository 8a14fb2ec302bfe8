<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>CCommonDialogs</name>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
</context>
<context>
    <name>ConversionRun</name>
    <message>
        <source>Convert</source>
        <translation>Umwandlung</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>PDF</source>
        <translation>PDF</translation>
    </message>
    <message>
        <source>Image</source>
        <translation>Bild</translation>
    </message>
    <message>
        <source>Add File</source>
        <translation>Datei hinzufügen</translation>
    </message>
    <message>
        <source>Please add a file</source>
        <translation>Bitte fügen Sie eine Datei hinzu</translation>
    </message>
    <message>
        <source>Preparing Files...</source>
        <translation>Dateien werden vorbereitet...</translation>
    </message>
    <message>
        <source>Now Start Creating...</source>
        <translation>Erstellung beginnt...</translation>
    </message>
    <message>
        <source>Creating...</source>
        <translation>Wird erstellt...</translation>
    </message>
    <message>
        <source>PDF Files(*.pdf)|*.pdf</source>
        <translation>PDF-Dateien(*.pdf)|*.pdf</translation>
    </message>
    <message>
        <source>Nothing was saved.</source>
        <translation>Es wurde nichts gespeichert.</translation>
    </message>
    <message>
        <source>

Choose another name or folder, or cancel to end without saving.</source>
        <translation>

Wählen Sie einen anderen Namen oder Ordner, oder brechen Sie ab, um ohne Speichern zu beenden.</translation>
    </message>
    <message>
        <source>Removing Temporary Files...</source>
        <translation>Temporäre Dateien werden entfernt...</translation>
    </message>
    <message>
        <source>Done.</source>
        <translation>Fertig.</translation>
    </message>
    <message>
        <source>Stopped: nothing was saved.</source>
        <translation>Abgebrochen: Es wurde nichts gespeichert.</translation>
    </message>
</context>
<context>
    <name>GettingStartedPicture</name>
    <message>
        <source>From images to one PDF in three steps</source>
        <translation>In drei Schritten von Bildern zum PDF</translation>
    </message>
    <message>
        <source>Add images</source>
        <translation>Bilder wählen</translation>
    </message>
    <message>
        <source>Open an image, add</source>
        <translation>Ein Bild öffnen,</translation>
    </message>
    <message>
        <source>a whole folder, or</source>
        <translation>einen Ordner wählen</translation>
    </message>
    <message>
        <source>drop files right here.</source>
        <translation>oder hierher ziehen.</translation>
    </message>
    <message>
        <source>Describe it</source>
        <translation>Beschreiben</translation>
    </message>
    <message>
        <source>Put the pages in</source>
        <translation>Seiten ordnen, Titel,</translation>
    </message>
    <message>
        <source>order, give the title,</source>
        <translation>Thema, Stichwörter</translation>
    </message>
    <message>
        <source>subject and keywords</source>
        <translation>eintragen und die</translation>
    </message>
    <message>
        <source>and pick the quality.</source>
        <translation>Qualität wählen.</translation>
    </message>
    <message>
        <source>Convert</source>
        <translation>Umwandeln</translation>
    </message>
    <message>
        <source>Press Convert To</source>
        <translation>„Jetzt in PDF</translation>
    </message>
    <message>
        <source>PDF Now and choose</source>
        <translation>umwandeln“ drücken</translation>
    </message>
    <message>
        <source>where to save the</source>
        <translation>und den Speicherort</translation>
    </message>
    <message>
        <source>document.</source>
        <translation>wählen.</translation>
    </message>
    <message>
        <source>1. Open an image, add a whole folder, or drop files right here. 2. Put the pages in order, give the title, subject and keywords and pick the quality. 3. Press Convert To PDF Now and choose where to save the document.</source>
        <translation>1. Öffnen Sie ein Bild, fügen Sie einen ganzen Ordner hinzu oder ziehen Sie Dateien hierher. 2. Bringen Sie die Seiten in ihre Reihenfolge, geben Sie Titel, Thema und Stichwörter an und wählen Sie die Qualität. 3. Drücken Sie „Jetzt in PDF umwandeln“ und wählen Sie, wo das Dokument gespeichert wird.</translation>
    </message>
</context>
<context>
    <name>ImageReader</name>
    <message>
        <source>a FIFO (named pipe)</source>
        <translation>eine FIFO (benannte Pipe)</translation>
    </message>
    <message>
        <source>a socket</source>
        <translation>einen Socket</translation>
    </message>
    <message>
        <source>a device</source>
        <translation>ein Gerät</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>etwas anderes als eine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>The image &quot;%1&quot; could not be read: %2.</source>
        <translation>Das Bild „%1“ konnte nicht gelesen werden: %2.</translation>
    </message>
    <message>
        <source>the image is damaged (the reader stopped unexpectedly)</source>
        <translation>das Bild ist beschädigt (der Bildleser wurde unerwartet beendet)</translation>
    </message>
    <message>
        <source>reading the image took longer than %1 s</source>
        <translation>das Lesen des Bildes dauerte länger als %1 s</translation>
    </message>
    <message>
        <source>reading the image used more processor time than this program allows (%1 s)</source>
        <translation>das Lesen des Bildes brauchte mehr Prozessorzeit, als dieses Programm erlaubt (%1 s)</translation>
    </message>
    <message>
        <source>the image reader could not be started (%1)</source>
        <translation>der Bildleser konnte nicht gestartet werden (%1)</translation>
    </message>
    <message>
        <source>reading was stopped</source>
        <translation>das Lesen wurde abgebrochen</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not an image this program can read: %2.</source>
        <translation>„%1“ ist kein Bild, das dieses Programm lesen kann: %2.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not an image this program can read.</source>
        <translation>„%1“ ist kein Bild, das dieses Programm lesen kann.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not an image this program can read: its %2 data is damaged or incomplete</source>
        <translation>„%1“ ist kein Bild, das dieses Programm lesen kann: seine %2-Daten sind beschädigt oder unvollständig</translation>
    </message>
    <message>
        <source>it needs more memory than this program gives one image</source>
        <translation>es braucht mehr Speicher, als dieses Programm einem Bild zugesteht</translation>
    </message>
    <message>
        <source>its picture could not be written (%1)</source>
        <translation>seine Bilddaten konnten nicht geschrieben werden (%1)</translation>
    </message>
    <message>
        <source>the image reader did not understand the request</source>
        <translation>der Bildleser hat die Anfrage nicht verstanden</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be opened: it is not there any more (moved, renamed or deleted after it was added to the list).</source>
        <translation>„%1“ kann nicht geöffnet werden: die Datei ist nicht mehr da (nach dem Hinzufügen zur Liste verschoben, umbenannt oder gelöscht).</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be opened: %2.</source>
        <translation>„%1“ kann nicht geöffnet werden: %2.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a folder, not an image.</source>
        <translation>„%1“ ist ein Ordner, kein Bild.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not an image file: it is %2.</source>
        <translation>„%1“ ist keine Bilddatei: es handelt sich um %2.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is empty.</source>
        <translation>„%1“ ist leer.</translation>
    </message>
    <message>
        <source>%1 was not found beside the program or where it is installed</source>
        <translation>%1 wurde weder neben dem Programm noch am Installationsort gefunden</translation>
    </message>
    <message>
        <source>it is still reading another image</source>
        <translation>er liest noch ein anderes Bild</translation>
    </message>
    <message>
        <source>the image reader failed (%1)</source>
        <translation>beim Bildleser ist ein Fehler aufgetreten (%1)</translation>
    </message>
    <message>
        <source>the image reader was ended from outside this program (%1)</source>
        <translation>der Bildleser wurde von außerhalb dieses Programms beendet (%1)</translation>
    </message>
    <message>
        <source>it closed its connection</source>
        <translation>er hat seine Verbindung geschlossen</translation>
    </message>
    <message>
        <source>it sent a reply this program does not understand</source>
        <translation>er hat eine Antwort gesendet, die dieses Programm nicht versteht</translation>
    </message>
    <message>
        <source>it answered another request</source>
        <translation>er hat auf eine andere Anfrage geantwortet</translation>
    </message>
    <message>
        <source>it announced a picture of %1 × %2 pixels, beyond its own limits</source>
        <translation>er hat ein Bild von %1 × %2 Pixeln angekündigt, jenseits seiner eigenen Grenzen</translation>
    </message>
    <message>
        <source>it sent a reply this program did not ask for</source>
        <translation>er hat eine Antwort geschickt, um die dieses Programm nicht gebeten hat</translation>
    </message>
</context>
<context>
    <name>InfoFile</name>
    <message>
        <source>The document information could not be written in the temporary folder: %1.</source>
        <translation>Die Dokumentinformationen konnten nicht in den temporären Ordner geschrieben werden: %1.</translation>
    </message>
</context>
<context>
    <name>Merging</name>
    <message>
        <source>Install it, for example with the Debian package pdftk-java (sudo apt install pdftk-java), and convert again.</source>
        <translation>Installieren Sie es, zum Beispiel mit dem Debian-Paket pdftk-java (sudo apt install pdftk-java), und wandeln Sie erneut um.</translation>
    </message>
    <message>
        <source>pdftk (%1) could not be started (%2)</source>
        <translation>pdftk (%1) konnte nicht gestartet werden (%2)</translation>
    </message>
    <message>
        <source>pdftk stopped unexpectedly</source>
        <translation>pdftk wurde unerwartet beendet</translation>
    </message>
    <message>
        <source>pdftk ended with exit code %1</source>
        <translation>pdftk endete mit dem Exit-Code %1</translation>
    </message>
    <message>
        <source>

pdftk reported:
</source>
        <translation>

pdftk meldete:
</translation>
    </message>
    <message>
        <source>the folder %1 is not there any more</source>
        <translation>der Ordner %1 ist nicht mehr vorhanden</translation>
    </message>
    <message>
        <source>the folder %1 is on a read-only disk</source>
        <translation>der Ordner %1 liegt auf einem schreibgeschützten Datenträger</translation>
    </message>
    <message>
        <source>the disk is full (the folder %1 has %2 KB free, about %3 KB are needed)</source>
        <translation>der Datenträger ist voll (im Ordner %1 sind %2 KB frei, etwa %3 KB werden gebraucht)</translation>
    </message>
    <message>
        <source>The conversion was stopped.</source>
        <translation>Die Umwandlung wurde abgebrochen.</translation>
    </message>
    <message>
        <source>%1 failed: %2.</source>
        <translation>%1 ist fehlgeschlagen: %2.</translation>
    </message>
    <message>
        <source>%1 failed: pdftk reported success, but what it wrote is not a PDF that can be read (%2).</source>
        <translation>%1 ist fehlgeschlagen: pdftk meldete Erfolg, aber was es geschrieben hat, ist kein lesbares PDF (%2).</translation>
    </message>
    <message>
        <source>%1 failed: pdftk reported success, but the document it wrote has %2 instead of %3 pages.</source>
        <translation>%1 ist fehlgeschlagen: pdftk meldete Erfolg, aber das geschriebene Dokument hat %2 statt %3 Seiten.</translation>
    </message>
    <message>
        <source>pdftk, which joins the pages into one PDF, was not found beside Pagewell or on the search path (PATH). </source>
        <translation>pdftk, das die Seiten zu einem PDF zusammenfügt, wurde weder neben Pagewell noch im Suchpfad (PATH) gefunden. </translation>
    </message>
    <message>
        <source>pdftk, which joins the pages into one PDF, was not found at %1, or it cannot be run. </source>
        <translation>pdftk, das die Seiten zu einem PDF zusammenfügt, wurde unter %1 nicht gefunden oder kann nicht ausgeführt werden. </translation>
    </message>
    <message>
        <source>pdftk (%1) does not work: %2. </source>
        <translation>pdftk (%1) funktioniert nicht: %2. </translation>
    </message>
    <message>
        <source>Joining page %1 (%2) to the pages before it</source>
        <translation>Das Anfügen der Seite %1 (%2) an die vorigen Seiten</translation>
    </message>
    <message>
        <source>pdftk did not finish within %1 s and was stopped</source>
        <translation>pdftk wurde nicht innerhalb von %1 s fertig und wurde beendet</translation>
    </message>
    <message>
        <source>Joining page %1 (%2) to the pages after it</source>
        <translation>Das Voranstellen der Seite %1 (%2) vor die folgenden Seiten</translation>
    </message>
    <message>
        <source>Joining pages %1 to %2 (%3 to %4)</source>
        <translation>Das Zusammenfügen der Seiten %1 bis %2 (%3 bis %4)</translation>
    </message>
    <message>
        <source>The page of %1 is missing, so the document cannot be put together.</source>
        <translation>Die Seite von %1 fehlt, daher kann das Dokument nicht zusammengesetzt werden.</translation>
    </message>
    <message>
        <source>The page of %1 could not be put into the document: %2.</source>
        <translation>Die Seite von %1 konnte nicht in das Dokument übernommen werden: %2.</translation>
    </message>
    <message>
        <source>%1 failed: pdftk ended without writing the document.</source>
        <translation>%1 ist fehlgeschlagen: pdftk wurde beendet, ohne das Dokument zu schreiben.</translation>
    </message>
    <message>
        <source>Writing the document information into the PDF</source>
        <translation>Das Schreiben der Dokumentinformationen in das PDF</translation>
    </message>
</context>
<context>
    <name>PageRead</name>
    <message>
        <source>it kept a JPEG&apos;s own data, which was not asked for</source>
        <translation>es behielt die eigenen Daten eines JPEG, was nicht verlangt war</translation>
    </message>
    <message>
        <source>what it said of the JPEG it kept cannot be (%1 components, orientation %2, %3 bytes of colour profile)</source>
        <translation>was es über das behaltene JPEG sagte, kann nicht stimmen (%1 Komponenten, Ausrichtung %2, %3 Byte Farbprofil)</translation>
    </message>
    <message>
        <source>what it said of the picture&apos;s colour profile cannot be (%1 bytes)</source>
        <translation>was es über das Farbprofil des Bildes sagte, kann nicht stimmen (%1 Byte)</translation>
    </message>
    <message>
        <source>The image &quot;%1&quot; could not be read: the file changed while it was read.</source>
        <translation>Das Bild „%1“ konnte nicht gelesen werden: Die Datei hat sich beim Lesen geändert.</translation>
    </message>
    <message>
        <source>The image &quot;%1&quot; could not be read: %2.</source>
        <translation>Das Bild „%1“ konnte nicht gelesen werden: %2.</translation>
    </message>
    <message>
        <source>its colour profile cannot be read: %1</source>
        <translation>sein Farbprofil kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>its picture cannot be kept as it is: %1</source>
        <translation>seine Bilddaten können nicht so aufbewahrt werden, wie sie sind: %1</translation>
    </message>
    <message>
        <source>The image &quot;%1&quot; cannot be prepared for its page: this program has no room for its picture (the file size limit is reached).</source>
        <translation>Das Bild „%1“ kann nicht für seine Seite vorbereitet werden: dieses Programm hat keinen Platz für seine Bilddaten (die Grenze der Dateigröße ist erreicht).</translation>
    </message>
    <message>
        <source>The image &quot;%1&quot; cannot be prepared for its page: its picture cannot be kept (%2).</source>
        <translation>Das Bild „%1“ kann nicht für seine Seite vorbereitet werden: seine Bilddaten können nicht aufbewahrt werden (%2).</translation>
    </message>
    <message>
        <source>its picture cannot be looked at: %1</source>
        <translation>seine Bilddaten können nicht untersucht werden: %1</translation>
    </message>
    <message>
        <source>what it wrote is not a picture in its own layout: %1</source>
        <translation>was er geschrieben hat, sind keine Bilddaten in seinem eigenen Format: %1</translation>
    </message>
    <message>
        <source>it announced %1 × %2 pixels and wrote %3 × %4</source>
        <translation>er hat %1 × %2 Pixel angekündigt und %3 × %4 geschrieben</translation>
    </message>
</context>
<context>
    <name>PageBitmapReading</name>
    <message>
        <source>it is not a plain file</source>
        <translation>sie ist keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>there is not enough memory for its %1 × %2 pixels</source>
        <translation>für ihre %1 × %2 Pixel ist nicht genug Speicher frei</translation>
    </message>
    <message>
        <source>the file became shorter while it was read</source>
        <translation>die Datei wurde beim Lesen kürzer</translation>
    </message>
</context>
<context>
    <name>PageCreation</name>
    <message>
        <source>The PDF library gave no reason.</source>
        <translation>Die PDF-Bibliothek nannte keinen Grund.</translation>
    </message>
    <message>
        <source>The page for &quot;%1&quot; could not be made. %2</source>
        <translation>Die Seite für „%1“ konnte nicht erstellt werden. %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; could not be prepared for its page.</source>
        <translation>„%1“ konnte nicht für seine Seite vorbereitet werden.</translation>
    </message>
    <message>
        <source>&quot;%1&quot;</source>
        <comment>a name as the PDF library quotes it</comment>
        <translation>„%1“</translation>
    </message>
    <message>
        <source>prepared from it</source>
        <translation>(daraus aufbereitet)</translation>
    </message>
    <message>
        <source>in the temporary folder &quot;%1&quot;</source>
        <translation>im temporären Ordner „%1“</translation>
    </message>
    <message>
        <source>The page for &quot;%1&quot; could not be made. Its page file was not written in the temporary folder &quot;%2&quot;.</source>
        <translation>Die Seite für „%1“ konnte nicht erstellt werden. Ihre Seitendatei wurde im temporären Ordner „%2“ nicht geschrieben.</translation>
    </message>
</context>
<context>
    <name>PageWriting</name>
    <message>
        <source>The page file &quot;%1&quot; cannot be written: %2.</source>
        <translation>Die Seitendatei „%1“ kann nicht geschrieben werden: %2.</translation>
    </message>
</context>
<context>
    <name>PdfPageCount</name>
    <message>
        <source>it has no page tree</source>
        <translation>es hat keinen Seitenbaum</translation>
    </message>
</context>
<context>
    <name>PdftkCheck</name>
    <message>
        <source>The conversion was stopped.</source>
        <translation>Die Umwandlung wurde abgebrochen.</translation>
    </message>
</context>
<context>
    <name>PdftkHost</name>
    <message>
        <source>pdftk&apos;s host stopped while starting its Java runtime</source>
        <translation>der Host-Prozess von pdftk wurde beim Starten seiner Java-Laufzeitumgebung beendet</translation>
    </message>
    <message>
        <source>pdftk&apos;s host did not take the request</source>
        <translation>der Host-Prozess von pdftk hat die Anfrage nicht angenommen</translation>
    </message>
    <message>
        <source>pdftk stopped unexpectedly in its host</source>
        <translation>pdftk wurde in seinem Host-Prozess unerwartet beendet</translation>
    </message>
    <message>
        <source>pdftk&apos;s host gave a reply it should not</source>
        <translation>der Host-Prozess von pdftk gab eine Antwort, die er nicht hätte geben dürfen</translation>
    </message>
</context>
<context>
    <name>PosixFile</name>
    <message>
        <source>the folder cannot be written to (permission denied)</source>
        <translation>in den Ordner kann nicht geschrieben werden (Zugriff verweigert)</translation>
    </message>
    <message>
        <source>the folder is on a read-only disk</source>
        <translation>der Ordner liegt auf einem schreibgeschützten Datenträger</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>der Datenträger ist voll</translation>
    </message>
    <message>
        <source>the file is larger than this system allows (file size limit)</source>
        <translation>die Datei ist größer, als dieses System erlaubt (Grenze der Dateigröße)</translation>
    </message>
    <message>
        <source>the folder does not exist</source>
        <translation>der Ordner existiert nicht</translation>
    </message>
    <message>
        <source>a part of the path is not a folder</source>
        <translation>ein Teil des Pfades ist kein Ordner</translation>
    </message>
    <message>
        <source>a folder of that name is there</source>
        <translation>dort gibt es einen Ordner dieses Namens</translation>
    </message>
    <message>
        <source>the name is longer than the file system allows</source>
        <translation>der Name ist länger, als das Dateisystem erlaubt</translation>
    </message>
    <message>
        <source>the file there is read-only (permission denied)</source>
        <translation>die dortige Datei ist schreibgeschützt (Zugriff verweigert)</translation>
    </message>
    <message>
        <source>that name belongs to something other than an ordinary file</source>
        <translation>dieser Name gehört zu etwas anderem als einer gewöhnlichen Datei</translation>
    </message>
    <message>
        <source>another program replaced the file while it was written</source>
        <translation>ein anderes Programm hat die Datei ersetzt, während sie geschrieben wurde</translation>
    </message>
</context>
<context>
    <name>PreviewRead</name>
    <message>
        <source>The preview of &quot;%1&quot; has no room: %2.</source>
        <translation>Für die Vorschau von „%1“ ist kein Platz: %2.</translation>
    </message>
    <message>
        <source>its picture is not the one it announced</source>
        <translation>seine Bilddaten sind nicht die angekündigten</translation>
    </message>
</context>
<context>
    <name>ProcessPdftk</name>
    <message>
        <source>The conversion was stopped.</source>
        <translation>Die Umwandlung wurde abgebrochen.</translation>
    </message>
    <message>
        <source>pdftk was not found.</source>
        <translation>pdftk wurde nicht gefunden.</translation>
    </message>
</context>
<context>
    <name>QpdfPageLibrary</name>
    <message>
        <source>The image &quot;%1&quot; cannot be drawn: %2.</source>
        <translation>Das Bild „%1“ kann nicht gezeichnet werden: %2.</translation>
    </message>
    <message>
        <source>The image file &quot;%1&quot; does not exist.</source>
        <translation>Die Bilddatei „%1“ existiert nicht.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a folder, not an image file.</source>
        <translation>„%1“ ist ein Ordner, keine Bilddatei.</translation>
    </message>
    <message>
        <source>The image file &quot;%1&quot; cannot be opened: %2.</source>
        <translation>Die Bilddatei „%1“ kann nicht geöffnet werden: %2.</translation>
    </message>
    <message>
        <source>The image file &quot;%1&quot; is empty.</source>
        <translation>Die Bilddatei „%1“ ist leer.</translation>
    </message>
    <message>
        <source>The image file &quot;%1&quot; is damaged: %2.</source>
        <translation>Die Bilddatei „%1“ ist beschädigt: %2.</translation>
    </message>
    <message>
        <source>The image &quot;%1&quot; cannot be compressed: %2.</source>
        <translation>Das Bild „%1“ kann nicht komprimiert werden: %2.</translation>
    </message>
</context>
<context>
    <name>QualityLabels</name>
    <message>
        <source>Best</source>
        <translation>Sehr gut</translation>
    </message>
    <message>
        <source>Good</source>
        <translation>Gut</translation>
    </message>
    <message>
        <source>Medium</source>
        <translation>Mittel</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Niedrig</translation>
    </message>
</context>
<context>
    <name>Saving</name>
    <message>
        <source>The PDF could not be saved as %1: %2.</source>
        <translation>Das PDF konnte nicht als %1 gespeichert werden: %2.</translation>
    </message>
    <message>
        <source> The file there may now be incomplete.</source>
        <translation> Die dortige Datei ist jetzt möglicherweise unvollständig.</translation>
    </message>
    <message>
        <source> The file that was there is unchanged.</source>
        <translation> Die dort vorhandene Datei ist unverändert.</translation>
    </message>
    <message>
        <source>The finished PDF could not be read from the temporary folder, so nothing was saved as %1: %2.</source>
        <translation>Das fertige PDF konnte nicht aus dem temporären Ordner gelesen werden, daher wurde nichts als %1 gespeichert: %2.</translation>
    </message>
</context>
<context>
    <name>ShowImage</name>
    <message>
        <source>The picture could not be read.</source>
        <translation>Das Bild konnte nicht gelesen werden.</translation>
    </message>
</context>
<context>
    <name>ShowImageSurface</name>
    <message>
        <source>Loading the picture…</source>
        <translation>Bild wird geladen…</translation>
    </message>
</context>
<context>
    <name>TerminalRun</name>
    <message>
        <source>--date takes a PDF date (D:20240531143000+02&apos;00) or an ISO date (2024-05-31 or 2024-05-31T14:30:00+02:00), not &quot;%1&quot;</source>
        <translation>--date nimmt ein PDF-Datum (D:20240531143000+02&apos;00) oder ein ISO-Datum (2024-05-31 oder 2024-05-31T14:30:00+02:00), nicht „%1“</translation>
    </message>
    <message>
        <source>--quality takes a whole number from 1 to 100, not &quot;%1&quot;</source>
        <translation>--quality nimmt eine ganze Zahl von 1 bis 100, nicht „%1“</translation>
    </message>
    <message>
        <source>--page-size takes as-image, as-scanned, a4, a5, a3, letter or legal, not &quot;%1&quot;</source>
        <translation>--page-size nimmt as-image, as-scanned, a4, a5, a3, letter oder legal, nicht „%1“</translation>
    </message>
    <message>
        <source>--orientation takes auto, portrait or landscape, not &quot;%1&quot;</source>
        <translation>--orientation nimmt auto, portrait oder landscape, nicht „%1“</translation>
    </message>
    <message>
        <source>--margin takes a whole number of millimetres from 0 to %1, not &quot;%2&quot;</source>
        <translation>--margin nimmt eine ganze Zahl von Millimetern von 0 bis %1, nicht „%2“</translation>
    </message>
    <message>
        <source>unknown option &quot;%1&quot; (pagewell --help lists the options)</source>
        <translation>unbekannte Option „%1“ (pagewell --help nennt die Optionen)</translation>
    </message>
    <message>
        <source>the option %1 needs a value</source>
        <translation>die Option %1 braucht einen Wert</translation>
    </message>
    <message>
        <source>no image or folder is named (pagewell --help tells how)</source>
        <translation>weder ein Bild noch ein Ordner ist angegeben (pagewell --help sagt, wie)</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not an image this program can read; it is left out.</source>
        <translation>„%1“ ist kein Bild, das dieses Programm lesen kann; es wird ausgelassen.</translation>
    </message>
    <message>
        <source>standard output</source>
        <translation>Standardausgabe</translation>
    </message>
    <message>
        <source>Image %1 of %2</source>
        <translation>Bild %1 von %2</translation>
    </message>
    <message>
        <source>Joining pages: %1 of %2</source>
        <translation>Seiten zusammenfügen: %1 von %2</translation>
    </message>
    <message>
        <source>Saving to %1</source>
        <translation>Wird gespeichert: %1</translation>
    </message>
    <message>
        <source>no temporary folder for the document: %1</source>
        <translation>kein temporärer Ordner für das Dokument: %1</translation>
    </message>
    <message>
        <source>Saved to %1</source>
        <translation>Gespeichert: %1</translation>
    </message>
    <message>
        <source>the document could not be written to standard output: %1</source>
        <translation>das Dokument konnte nicht in die Standardausgabe geschrieben werden: %1</translation>
    </message>
</context>
<context>
    <name>ToolBarCommands</name>
    <message>
        <source>Open Files</source>
        <translation>Dateien öffnen</translation>
    </message>
    <message>
        <source>All Files(*.*)</source>
        <translation>Alle Dateien(*.*)</translation>
    </message>
    <message>
        <source>JPG Files(*.jpg)</source>
        <translation>JPG-Dateien(*.jpg)</translation>
    </message>
    <message>
        <source>JPEG Files(*.jpeg)</source>
        <translation>JPEG-Dateien(*.jpeg)</translation>
    </message>
    <message>
        <source>TIF Files(*.tif)</source>
        <translation>TIF-Dateien(*.tif)</translation>
    </message>
    <message>
        <source>TIFF Files(*.tiff)</source>
        <translation>TIFF-Dateien(*.tiff)</translation>
    </message>
    <message>
        <source>BMP Files(*.BMP)</source>
        <translation>BMP-Dateien(*.BMP)</translation>
    </message>
    <message>
        <source>GIF Files(*.gif)</source>
        <translation>GIF-Dateien(*.gif)</translation>
    </message>
    <message>
        <source>PNG Files(*.png)</source>
        <translation>PNG-Dateien(*.png)</translation>
    </message>
    <message>
        <source>HEIC Files(*.heic;*.heif)</source>
        <translation>HEIC-Dateien(*.heic;*.heif)</translation>
    </message>
    <message>
        <source>AVIF Files(*.avif)</source>
        <translation>AVIF-Dateien(*.avif)</translation>
    </message>
    <message>
        <source>WebP Files(*.webp)</source>
        <translation>WebP-Dateien(*.webp)</translation>
    </message>
    <message>
        <source>JPEG XL Files(*.jxl)</source>
        <translation>JPEG-XL-Dateien(*.jxl)</translation>
    </message>
</context>
<context>
    <name>Workspace</name>
    <message>
        <source>The temporary folder %1 cannot be written to, so the conversion cannot start: %2. Check that the folder exists and that there is free space on its disk.</source>
        <translation>In den temporären Ordner %1 kann nicht geschrieben werden, daher kann die Umwandlung nicht beginnen: %2. Prüfen Sie, ob der Ordner existiert und ob auf seinem Datenträger noch Platz frei ist.</translation>
    </message>
    <message>
        <source>The working folder %1 could not be made: %2.</source>
        <translation>Der Arbeitsordner %1 konnte nicht angelegt werden: %2.</translation>
    </message>
</context>
<context>
    <name>frmPrinting</name>
    <message>
        <source>Open a File</source>
        <translation>Datei öffnen</translation>
    </message>
    <message>
        <source>Open an Image File</source>
        <translation>Eine Bilddatei öffnen</translation>
    </message>
    <message>
        <source>Add Folder</source>
        <translation>Ordner hinzufügen</translation>
    </message>
    <message>
        <source>Add Image Files from a Folder</source>
        <translation>Bilddateien aus einem Ordner hinzufügen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Close This Image File</source>
        <translation>Diese Bilddatei schließen</translation>
    </message>
    <message>
        <source>Clean</source>
        <translation>Leeren</translation>
    </message>
    <message>
        <source>Remove all from File List</source>
        <translation>Alles aus der Dateiliste entfernen</translation>
    </message>
    <message>
        <source>Move Down</source>
        <translation>Nach unten</translation>
    </message>
    <message>
        <source>Move selected Down</source>
        <translation>Auswahl nach unten verschieben</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Keep original quality</source>
        <translation>Originalqualität behalten</translation>
    </message>
    <message>
        <source>A JPEG&apos;s page keeps the file&apos;s own data, any other picture is kept without loss; the quality is then not used</source>
        <translation>Die Seite eines JPEG behält die Daten der Datei, jedes andere Bild bleibt verlustfrei; die Qualität wird dann nicht verwendet</translation>
    </message>
    <message>
        <source>Page size:</source>
        <translation>Seitengröße:</translation>
    </message>
    <message>
        <source>As the image</source>
        <translation>Wie das Bild</translation>
    </message>
    <message>
        <source>As scanned</source>
        <translation>Wie gescannt</translation>
    </message>
    <message>
        <source>Letter</source>
        <comment>paper size</comment>
        <translation>Letter</translation>
    </message>
    <message>
        <source>Legal</source>
        <comment>paper size</comment>
        <translation>Legal</translation>
    </message>
    <message>
        <source>As the image and as scanned make each page the size of its picture; a paper size fits every picture on that sheet</source>
        <translation>„Wie das Bild“ und „Wie gescannt“ machen jede Seite so groß wie ihr Bild; ein Papierformat setzt jedes Bild auf dieses Blatt</translation>
    </message>
    <message>
        <source>Orientation:</source>
        <translation>Ausrichtung:</translation>
    </message>
    <message>
        <source>Automatic turns each sheet to match its picture</source>
        <translation>Automatisch dreht jedes Blatt passend zu seinem Bild</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automatisch</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>Hochformat</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>Querformat</translation>
    </message>
    <message>
        <source>Margin:</source>
        <translation>Rand:</translation>
    </message>
    <message>
        <source>On every side of the sheet, in millimetres</source>
        <translation>Auf jeder Seite des Blatts, in Millimetern</translation>
    </message>
    <message>
        <source>Rotate Left</source>
        <translation>Links drehen</translation>
    </message>
    <message>
        <source>Turn the selected pages a quarter to the left (Ctrl+L)</source>
        <translation>Die gewählten Seiten um eine Vierteldrehung nach links drehen (Strg+L)</translation>
    </message>
    <message>
        <source>Rotate Right</source>
        <translation>Rechts drehen</translation>
    </message>
    <message>
        <source>Turn the selected pages a quarter to the right (Ctrl+R)</source>
        <translation>Die gewählten Seiten um eine Vierteldrehung nach rechts drehen (Strg+R)</translation>
    </message>
    <message>
        <source>Move Up</source>
        <translation>Nach oben</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>Auswahl nach oben verschieben</translation>
    </message>
    <message>
        <source>Drag &amp; Drop Files Here</source>
        <translation>Dateien hierher ziehen</translation>
    </message>
    <message>
        <source>Convert To PDF Now</source>
        <translation>Jetzt in PDF umwandeln</translation>
    </message>
    <message>
        <source>File List:</source>
        <translation>Dateiliste:</translation>
    </message>
    <message>
        <source>Getting started</source>
        <translation>Erste Schritte</translation>
    </message>
    <message>
        <source>The images in page order. Alt+Up and Alt+Down move the selected image, Delete removes it.</source>
        <translation>Die Bilder in Seitenreihenfolge. Alt+Pfeil nach oben und Alt+Pfeil nach unten verschieben das ausgewählte Bild, Entf entfernt es.</translation>
    </message>
    <message>
        <source>Page Number Of Selected File: 0</source>
        <translation>Seitennummer der ausgewählten Datei: 0</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>The image opened last</source>
        <translation>Das zuletzt geöffnete Bild</translation>
    </message>
    <message>
        <source>Now</source>
        <translation>Jetzt</translation>
    </message>
    <message>
        <source>PDF Document Title:</source>
        <translation>Titel des PDF-Dokuments:</translation>
    </message>
    <message>
        <source>PDF Author:</source>
        <translation>Autor des PDF:</translation>
    </message>
    <message>
        <source>Creation Date:</source>
        <translation>Erstellungsdatum:</translation>
    </message>
    <message>
        <source>As the PDF keeps it: D:, then year, month, day, hours, minutes and seconds</source>
        <translation>Wie das PDF es speichert: D:, dann Jahr, Monat, Tag, Stunden, Minuten und Sekunden</translation>
    </message>
    <message>
        <source>Sets the creation date to the current time</source>
        <translation>Setzt das Erstellungsdatum auf die aktuelle Zeit</translation>
    </message>
    <message>
        <source>Subject:</source>
        <translation>Thema:</translation>
    </message>
    <message>
        <source>Keywords:</source>
        <translation>Stichwörter:</translation>
    </message>
    <message>
        <source>Compress Quality:</source>
        <translation>Komprimierungsqualität:</translation>
    </message>
    <message>
        <source>Good</source>
        <translation>Gut</translation>
    </message>
    <message>
        <source>Quality</source>
        <translation>Qualität</translation>
    </message>
    <message>
        <source>Output Path:</source>
        <translation>Ausgabepfad:</translation>
    </message>
    <message>
        <source>Select a Folder to Output</source>
        <translation>Einen Ausgabeordner wählen</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Durchsuchen</translation>
    </message>
    <message>
        <source>Select an Output Folder</source>
        <translation>Einen Ausgabeordner wählen</translation>
    </message>
    <message>
        <source>Makes one PDF of the listed images and asks where to save it (Ctrl+Return)</source>
        <translation>Erstellt aus den aufgelisteten Bildern ein PDF und fragt, wo es gespeichert werden soll (Strg+Eingabe)</translation>
    </message>
    <message>
        <source>Conversion progress</source>
        <translation>Fortschritt der Umwandlung</translation>
    </message>
    <message>
        <source>Conversion status</source>
        <translation>Stand der Umwandlung</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Open an Image</source>
        <translation>Bild &amp;öffnen</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Website</source>
        <translation>&amp;Webseite</translation>
    </message>
    <message>
        <source>Converting...</source>
        <translation>Wird umgewandelt...</translation>
    </message>
    <message>
        <source>Please select a folder:</source>
        <translation>Bitte wählen Sie einen Ordner:</translation>
    </message>
    <message>
        <source>Searching Files...</source>
        <translation>Dateien werden gesucht...</translation>
    </message>
    <message>
        <source>about</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Pagewell %1 © 2026 the Pagewell developers. All rights reserved.</source>
        <translation>Pagewell %1 © 2026 die Pagewell-Entwickler. Alle Rechte vorbehalten.</translation>
    </message>
    <message>
        <source>Page Number of Selected File: %1</source>
        <translation>Seitennummer der ausgewählten Datei: %1</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <comment>menu</comment>
        <translation>&amp;Info</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <comment>menu item</comment>
        <translation>&amp;Über Pagewell</translation>
    </message>
</context>
</TS>
