<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>CCommonDialogs</name>
    <message>
        <source>Save</source>
        <translation>Enregistrer</translation>
    </message>
</context>
<context>
    <name>ConversionRun</name>
    <message>
        <source>Convert</source>
        <translation>Conversion</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Enregistrer</translation>
    </message>
    <message>
        <source>PDF</source>
        <translation>PDF</translation>
    </message>
    <message>
        <source>Image</source>
        <translation>Image</translation>
    </message>
    <message>
        <source>Add File</source>
        <translation>Ajouter un fichier</translation>
    </message>
    <message>
        <source>Please add a file</source>
        <translation>Veuillez ajouter un fichier</translation>
    </message>
    <message>
        <source>Preparing Files...</source>
        <translation>Préparation des fichiers...</translation>
    </message>
    <message>
        <source>Now Start Creating...</source>
        <translation>Début de la création...</translation>
    </message>
    <message>
        <source>Creating...</source>
        <translation>Création...</translation>
    </message>
    <message>
        <source>PDF Files(*.pdf)|*.pdf</source>
        <translation>Fichiers PDF(*.pdf)|*.pdf</translation>
    </message>
    <message>
        <source>Nothing was saved.</source>
        <translation>Rien n’a été enregistré.</translation>
    </message>
    <message>
        <source>

Choose another name or folder, or cancel to end without saving.</source>
        <translation>

Choisissez un autre nom ou un autre dossier, ou annulez pour terminer sans enregistrer.</translation>
    </message>
    <message>
        <source>Removing Temporary Files...</source>
        <translation>Suppression des fichiers temporaires...</translation>
    </message>
    <message>
        <source>Done.</source>
        <translation>Terminé.</translation>
    </message>
    <message>
        <source>Stopped: nothing was saved.</source>
        <translation>Arrêté&#xa0;: rien n’a été enregistré.</translation>
    </message>
</context>
<context>
    <name>GettingStartedPicture</name>
    <message>
        <source>From images to one PDF in three steps</source>
        <translation>Des images à un seul PDF en trois étapes</translation>
    </message>
    <message>
        <source>Add images</source>
        <translation>Ajouter</translation>
    </message>
    <message>
        <source>Open an image, add</source>
        <translation>Ouvrez une image,</translation>
    </message>
    <message>
        <source>a whole folder, or</source>
        <translation>ajoutez un dossier</translation>
    </message>
    <message>
        <source>drop files right here.</source>
        <translation>ou déposez-en ici.</translation>
    </message>
    <message>
        <source>Describe it</source>
        <translation>Décrire</translation>
    </message>
    <message>
        <source>Put the pages in</source>
        <translation>Ordonnez les pages,</translation>
    </message>
    <message>
        <source>order, give the title,</source>
        <translation>indiquez titre, sujet</translation>
    </message>
    <message>
        <source>subject and keywords</source>
        <translation>et mots-clés, puis</translation>
    </message>
    <message>
        <source>and pick the quality.</source>
        <translation>choisissez la qualité.</translation>
    </message>
    <message>
        <source>Convert</source>
        <translation>Convertir</translation>
    </message>
    <message>
        <source>Press Convert To</source>
        <translation>Cliquez sur</translation>
    </message>
    <message>
        <source>PDF Now and choose</source>
        <translation>«&#xa0;Convertir en PDF&#xa0;»</translation>
    </message>
    <message>
        <source>where to save the</source>
        <translation>et choisissez où</translation>
    </message>
    <message>
        <source>document.</source>
        <translation>l’enregistrer.</translation>
    </message>
    <message>
        <source>1. Open an image, add a whole folder, or drop files right here. 2. Put the pages in order, give the title, subject and keywords and pick the quality. 3. Press Convert To PDF Now and choose where to save the document.</source>
        <translation>1. Ouvrez une image, ajoutez un dossier entier ou déposez des fichiers ici. 2. Mettez les pages dans l’ordre, indiquez le titre, le sujet et les mots-clés, puis choisissez la qualité. 3. Cliquez sur «&#xa0;Convertir en PDF&#xa0;» et choisissez où enregistrer le document.</translation>
    </message>
</context>
<context>
    <name>ImageReader</name>
    <message>
        <source>a FIFO (named pipe)</source>
        <translation>une FIFO (tube nommé)</translation>
    </message>
    <message>
        <source>a socket</source>
        <translation>un socket</translation>
    </message>
    <message>
        <source>a device</source>
        <translation>un périphérique</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>autre chose qu’un fichier ordinaire</translation>
    </message>
    <message>
        <source>The image &quot;%1&quot; could not be read: %2.</source>
        <translation>L’image «&#xa0;%1&#xa0;» n’a pas pu être lue&#xa0;: %2.</translation>
    </message>
    <message>
        <source>the image is damaged (the reader stopped unexpectedly)</source>
        <translation>l’image est endommagée (le lecteur d’images s’est arrêté de manière inattendue)</translation>
    </message>
    <message>
        <source>reading the image took longer than %1 s</source>
        <translation>la lecture de l’image a pris plus de %1 s</translation>
    </message>
    <message>
        <source>reading the image used more processor time than this program allows (%1 s)</source>
        <translation>la lecture de l’image a demandé plus de temps processeur que ce programme n’en accorde (%1 s)</translation>
    </message>
    <message>
        <source>the image reader could not be started (%1)</source>
        <translation>le lecteur d’images n’a pas pu être démarré (%1)</translation>
    </message>
    <message>
        <source>reading was stopped</source>
        <translation>la lecture a été interrompue</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not an image this program can read: %2.</source>
        <translation>«&#xa0;%1&#xa0;» n’est pas une image que ce programme sait lire&#xa0;: %2.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not an image this program can read.</source>
        <translation>«&#xa0;%1&#xa0;» n’est pas une image que ce programme sait lire.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not an image this program can read: its %2 data is damaged or incomplete</source>
        <translation>«&#xa0;%1&#xa0;» n’est pas une image que ce programme sait lire&#xa0;: ses données %2 sont endommagées ou incomplètes</translation>
    </message>
    <message>
        <source>it needs more memory than this program gives one image</source>
        <translation>elle demande plus de mémoire que ce programme n’en accorde à une image</translation>
    </message>
    <message>
        <source>its picture could not be written (%1)</source>
        <translation>ses données d’image n’ont pas pu être écrites (%1)</translation>
    </message>
    <message>
        <source>the image reader did not understand the request</source>
        <translation>le lecteur d’images n’a pas compris la demande</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be opened: it is not there any more (moved, renamed or deleted after it was added to the list).</source>
        <translation>«&#xa0;%1&#xa0;» ne peut pas être ouvert&#xa0;: le fichier n’existe plus (déplacé, renommé ou supprimé après son ajout à la liste).</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be opened: %2.</source>
        <translation>«&#xa0;%1&#xa0;» ne peut pas être ouvert&#xa0;: %2.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a folder, not an image.</source>
        <translation>«&#xa0;%1&#xa0;» est un dossier, pas une image.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not an image file: it is %2.</source>
        <translation>«&#xa0;%1&#xa0;» n’est pas un fichier image&#xa0;: il s’agit de %2.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is empty.</source>
        <translation>«&#xa0;%1&#xa0;» est vide.</translation>
    </message>
    <message>
        <source>%1 was not found beside the program or where it is installed</source>
        <translation>%1 est introuvable, ni à côté du programme ni là où il est installé</translation>
    </message>
    <message>
        <source>it is still reading another image</source>
        <translation>il lit encore une autre image</translation>
    </message>
    <message>
        <source>the image reader failed (%1)</source>
        <translation>le lecteur d’images a échoué (%1)</translation>
    </message>
    <message>
        <source>the image reader was ended from outside this program (%1)</source>
        <translation>le lecteur d’images a été arrêté depuis l’extérieur de ce programme (%1)</translation>
    </message>
    <message>
        <source>it closed its connection</source>
        <translation>il a fermé sa connexion</translation>
    </message>
    <message>
        <source>it sent a reply this program does not understand</source>
        <translation>il a envoyé une réponse que ce programme ne comprend pas</translation>
    </message>
    <message>
        <source>it answered another request</source>
        <translation>il a répondu à une autre demande</translation>
    </message>
    <message>
        <source>it announced a picture of %1 × %2 pixels, beyond its own limits</source>
        <translation>il a annoncé une image de %1 × %2 pixels, au-delà de ses propres limites</translation>
    </message>
    <message>
        <source>it sent a reply this program did not ask for</source>
        <translation>il a envoyé une réponse que ce programme n’a pas demandée</translation>
    </message>
</context>
<context>
    <name>InfoFile</name>
    <message>
        <source>The document information could not be written in the temporary folder: %1.</source>
        <translation>Les informations du document n’ont pas pu être écrites dans le dossier temporaire&#xa0;: %1.</translation>
    </message>
</context>
<context>
    <name>Merging</name>
    <message>
        <source>Install it, for example with the Debian package pdftk-java (sudo apt install pdftk-java), and convert again.</source>
        <translation>Installez-le, par exemple avec le paquet Debian pdftk-java (sudo apt install pdftk-java), puis relancez la conversion.</translation>
    </message>
    <message>
        <source>pdftk (%1) could not be started (%2)</source>
        <translation>pdftk (%1) n’a pas pu être démarré (%2)</translation>
    </message>
    <message>
        <source>pdftk stopped unexpectedly</source>
        <translation>pdftk s’est arrêté de manière inattendue</translation>
    </message>
    <message>
        <source>pdftk ended with exit code %1</source>
        <translation>pdftk s’est terminé avec le code de sortie %1</translation>
    </message>
    <message>
        <source>

pdftk reported:
</source>
        <translation>

pdftk a signalé&#xa0;:
</translation>
    </message>
    <message>
        <source>the folder %1 is not there any more</source>
        <translation>le dossier %1 n’existe plus</translation>
    </message>
    <message>
        <source>the folder %1 is on a read-only disk</source>
        <translation>le dossier %1 se trouve sur un disque en lecture seule</translation>
    </message>
    <message>
        <source>the disk is full (the folder %1 has %2 KB free, about %3 KB are needed)</source>
        <translation>le disque est plein (le dossier %1 dispose de %2 Ko libres, il en faut environ %3 Ko)</translation>
    </message>
    <message>
        <source>The conversion was stopped.</source>
        <translation>La conversion a été interrompue.</translation>
    </message>
    <message>
        <source>%1 failed: %2.</source>
        <translation>%1 a échoué&#xa0;: %2.</translation>
    </message>
    <message>
        <source>%1 failed: pdftk reported success, but what it wrote is not a PDF that can be read (%2).</source>
        <translation>%1 a échoué&#xa0;: pdftk a signalé un succès, mais ce qu’il a écrit n’est pas un PDF lisible (%2).</translation>
    </message>
    <message>
        <source>%1 failed: pdftk reported success, but the document it wrote has %2 instead of %3 pages.</source>
        <translation>%1 a échoué&#xa0;: pdftk a signalé un succès, mais le document écrit compte %2 pages au lieu de %3.</translation>
    </message>
    <message>
        <source>pdftk, which joins the pages into one PDF, was not found beside Pagewell or on the search path (PATH). </source>
        <translation>pdftk, qui assemble les pages en un seul PDF, est introuvable, ni à côté de Pagewell ni dans le chemin de recherche (PATH). </translation>
    </message>
    <message>
        <source>pdftk, which joins the pages into one PDF, was not found at %1, or it cannot be run. </source>
        <translation>pdftk, qui assemble les pages en un seul PDF, est introuvable à l’emplacement %1 ou ne peut pas être exécuté. </translation>
    </message>
    <message>
        <source>pdftk (%1) does not work: %2. </source>
        <translation>pdftk (%1) ne fonctionne pas&#xa0;: %2. </translation>
    </message>
    <message>
        <source>Joining page %1 (%2) to the pages before it</source>
        <translation>L’ajout de la page %1 (%2) aux pages précédentes</translation>
    </message>
    <message>
        <source>pdftk did not finish within %1 s and was stopped</source>
        <translation>pdftk n’a pas terminé en %1&#xa0;s et a été arrêté</translation>
    </message>
    <message>
        <source>Joining page %1 (%2) to the pages after it</source>
        <translation>L’ajout de la page %1 (%2) avant les pages suivantes</translation>
    </message>
    <message>
        <source>Joining pages %1 to %2 (%3 to %4)</source>
        <translation>L’assemblage des pages %1 à %2 (%3 à %4)</translation>
    </message>
    <message>
        <source>The page of %1 is missing, so the document cannot be put together.</source>
        <translation>La page de %1 est manquante, le document ne peut donc pas être assemblé.</translation>
    </message>
    <message>
        <source>The page of %1 could not be put into the document: %2.</source>
        <translation>La page de %1 n’a pas pu être placée dans le document&#xa0;: %2.</translation>
    </message>
    <message>
        <source>%1 failed: pdftk ended without writing the document.</source>
        <translation>%1 a échoué&#xa0;: pdftk s’est terminé sans écrire le document.</translation>
    </message>
    <message>
        <source>Writing the document information into the PDF</source>
        <translation>L’écriture des informations du document dans le PDF</translation>
    </message>
</context>
<context>
    <name>PageRead</name>
    <message>
        <source>it kept a JPEG&apos;s own data, which was not asked for</source>
        <translation>il a gardé les données propres d’un JPEG, ce qui n’était pas demandé</translation>
    </message>
    <message>
        <source>what it said of the JPEG it kept cannot be (%1 components, orientation %2, %3 bytes of colour profile)</source>
        <translation>ce qu’il a dit du JPEG gardé ne peut pas être (%1 composantes, orientation %2, %3 octets de profil de couleurs)</translation>
    </message>
    <message>
        <source>what it said of the picture&apos;s colour profile cannot be (%1 bytes)</source>
        <translation>ce qu’il a dit du profil de couleurs de l’image ne peut pas être (%1 octets)</translation>
    </message>
    <message>
        <source>The image &quot;%1&quot; could not be read: the file changed while it was read.</source>
        <translation>L’image «&#xa0;%1&#xa0;» n’a pas pu être lue&#xa0;: le fichier a changé pendant sa lecture.</translation>
    </message>
    <message>
        <source>The image &quot;%1&quot; could not be read: %2.</source>
        <translation>L’image «&#xa0;%1&#xa0;» n’a pas pu être lue&#xa0;: %2.</translation>
    </message>
    <message>
        <source>its colour profile cannot be read: %1</source>
        <translation>son profil de couleurs ne peut pas être lu&#xa0;: %1</translation>
    </message>
    <message>
        <source>its picture cannot be kept as it is: %1</source>
        <translation>ses données d’image ne peuvent pas être conservées telles quelles&#xa0;: %1</translation>
    </message>
    <message>
        <source>The image &quot;%1&quot; cannot be prepared for its page: this program has no room for its picture (the file size limit is reached).</source>
        <translation>L’image «&#xa0;%1&#xa0;» ne peut pas être préparée pour sa page&#xa0;: ce programme n’a pas la place de conserver ses données d’image (la taille maximale de fichier est atteinte).</translation>
    </message>
    <message>
        <source>The image &quot;%1&quot; cannot be prepared for its page: its picture cannot be kept (%2).</source>
        <translation>L’image «&#xa0;%1&#xa0;» ne peut pas être préparée pour sa page&#xa0;: ses données d’image ne peuvent pas être conservées (%2).</translation>
    </message>
    <message>
        <source>its picture cannot be looked at: %1</source>
        <translation>ses données d’image ne peuvent pas être examinées&#xa0;: %1</translation>
    </message>
    <message>
        <source>what it wrote is not a picture in its own layout: %1</source>
        <translation>ce qu’il a écrit n’est pas une image dans son propre format&#xa0;: %1</translation>
    </message>
    <message>
        <source>it announced %1 × %2 pixels and wrote %3 × %4</source>
        <translation>il a annoncé %1 × %2 pixels et en a écrit %3 × %4</translation>
    </message>
</context>
<context>
    <name>PageBitmapReading</name>
    <message>
        <source>it is not a plain file</source>
        <translation>ce n’est pas un fichier ordinaire</translation>
    </message>
    <message>
        <source>there is not enough memory for its %1 × %2 pixels</source>
        <translation>la mémoire ne suffit pas pour ses %1 × %2 pixels</translation>
    </message>
    <message>
        <source>the file became shorter while it was read</source>
        <translation>le fichier a raccourci pendant sa lecture</translation>
    </message>
</context>
<context>
    <name>PageCreation</name>
    <message>
        <source>The PDF library gave no reason.</source>
        <translation>La bibliothèque PDF n’a donné aucune raison.</translation>
    </message>
    <message>
        <source>The page for &quot;%1&quot; could not be made. %2</source>
        <translation>La page de «&#xa0;%1&#xa0;» n’a pas pu être créée. %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; could not be prepared for its page.</source>
        <translation>«&#xa0;%1&#xa0;» n’a pas pu être préparé pour sa page.</translation>
    </message>
    <message>
        <source>&quot;%1&quot;</source>
        <comment>a name as the PDF library quotes it</comment>
        <translation>«&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>prepared from it</source>
        <translation>(version préparée)</translation>
    </message>
    <message>
        <source>in the temporary folder &quot;%1&quot;</source>
        <translation>dans le dossier temporaire «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>The page for &quot;%1&quot; could not be made. Its page file was not written in the temporary folder &quot;%2&quot;.</source>
        <translation>La page de «&#xa0;%1&#xa0;» n’a pas pu être créée. Son fichier de page n’a pas été écrit dans le dossier temporaire «&#xa0;%2&#xa0;».</translation>
    </message>
</context>
<context>
    <name>PageWriting</name>
    <message>
        <source>The page file &quot;%1&quot; cannot be written: %2.</source>
        <translation>Le fichier de page «&#xa0;%1&#xa0;» ne peut pas être écrit&#xa0;: %2.</translation>
    </message>
</context>
<context>
    <name>PdfPageCount</name>
    <message>
        <source>it has no page tree</source>
        <translation>il n’a pas d’arborescence de pages</translation>
    </message>
</context>
<context>
    <name>PdftkCheck</name>
    <message>
        <source>The conversion was stopped.</source>
        <translation>La conversion a été interrompue.</translation>
    </message>
</context>
<context>
    <name>PdftkHost</name>
    <message>
        <source>pdftk&apos;s host stopped while starting its Java runtime</source>
        <translation>le processus hôte de pdftk s’est arrêté pendant le démarrage de son environnement Java</translation>
    </message>
    <message>
        <source>pdftk&apos;s host did not take the request</source>
        <translation>le processus hôte de pdftk n’a pas accepté la demande</translation>
    </message>
    <message>
        <source>pdftk stopped unexpectedly in its host</source>
        <translation>pdftk s’est arrêté de manière inattendue dans son processus hôte</translation>
    </message>
    <message>
        <source>pdftk&apos;s host gave a reply it should not</source>
        <translation>le processus hôte de pdftk a donné une réponse qu’il n’aurait pas dû donner</translation>
    </message>
</context>
<context>
    <name>PosixFile</name>
    <message>
        <source>the folder cannot be written to (permission denied)</source>
        <translation>le dossier n’est pas accessible en écriture (permission refusée)</translation>
    </message>
    <message>
        <source>the folder is on a read-only disk</source>
        <translation>le dossier se trouve sur un disque en lecture seule</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>le disque est plein</translation>
    </message>
    <message>
        <source>the file is larger than this system allows (file size limit)</source>
        <translation>le fichier dépasse la taille permise par ce système (limite de taille de fichier)</translation>
    </message>
    <message>
        <source>the folder does not exist</source>
        <translation>le dossier n’existe pas</translation>
    </message>
    <message>
        <source>a part of the path is not a folder</source>
        <translation>une partie du chemin n’est pas un dossier</translation>
    </message>
    <message>
        <source>a folder of that name is there</source>
        <translation>un dossier de ce nom s’y trouve</translation>
    </message>
    <message>
        <source>the name is longer than the file system allows</source>
        <translation>le nom est plus long que ce que permet le système de fichiers</translation>
    </message>
    <message>
        <source>the file there is read-only (permission denied)</source>
        <translation>le fichier qui s’y trouve est en lecture seule (permission refusée)</translation>
    </message>
    <message>
        <source>that name belongs to something other than an ordinary file</source>
        <translation>ce nom désigne autre chose qu’un fichier ordinaire</translation>
    </message>
    <message>
        <source>another program replaced the file while it was written</source>
        <translation>un autre programme a remplacé le fichier pendant son écriture</translation>
    </message>
</context>
<context>
    <name>PreviewRead</name>
    <message>
        <source>The preview of &quot;%1&quot; has no room: %2.</source>
        <translation>L’aperçu de «&#xa0;%1&#xa0;» manque de place&#xa0;: %2.</translation>
    </message>
    <message>
        <source>its picture is not the one it announced</source>
        <translation>ses données d’image ne sont pas celles qu’il a annoncées</translation>
    </message>
</context>
<context>
    <name>ProcessPdftk</name>
    <message>
        <source>The conversion was stopped.</source>
        <translation>La conversion a été interrompue.</translation>
    </message>
    <message>
        <source>pdftk was not found.</source>
        <translation>pdftk est introuvable.</translation>
    </message>
</context>
<context>
    <name>QpdfPageLibrary</name>
    <message>
        <source>The image &quot;%1&quot; cannot be drawn: %2.</source>
        <translation>L’image «&#xa0;%1&#xa0;» ne peut pas être dessinée&#xa0;: %2.</translation>
    </message>
    <message>
        <source>The image file &quot;%1&quot; does not exist.</source>
        <translation>Le fichier image «&#xa0;%1&#xa0;» n’existe pas.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a folder, not an image file.</source>
        <translation>«&#xa0;%1&#xa0;» est un dossier, pas un fichier image.</translation>
    </message>
    <message>
        <source>The image file &quot;%1&quot; cannot be opened: %2.</source>
        <translation>Le fichier image «&#xa0;%1&#xa0;» ne peut pas être ouvert&#xa0;: %2.</translation>
    </message>
    <message>
        <source>The image file &quot;%1&quot; is empty.</source>
        <translation>Le fichier image «&#xa0;%1&#xa0;» est vide.</translation>
    </message>
    <message>
        <source>The image file &quot;%1&quot; is damaged: %2.</source>
        <translation>Le fichier image «&#xa0;%1&#xa0;» est endommagé&#xa0;: %2.</translation>
    </message>
    <message>
        <source>The image &quot;%1&quot; cannot be compressed: %2.</source>
        <translation>L’image «&#xa0;%1&#xa0;» ne peut pas être compressée&#xa0;: %2.</translation>
    </message>
</context>
<context>
    <name>QualityLabels</name>
    <message>
        <source>Best</source>
        <translation>Excellente</translation>
    </message>
    <message>
        <source>Good</source>
        <translation>Bonne</translation>
    </message>
    <message>
        <source>Medium</source>
        <translation>Moyenne</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Faible</translation>
    </message>
</context>
<context>
    <name>Saving</name>
    <message>
        <source>The PDF could not be saved as %1: %2.</source>
        <translation>Le PDF n’a pas pu être enregistré sous %1&#xa0;: %2.</translation>
    </message>
    <message>
        <source> The file there may now be incomplete.</source>
        <translation> Le fichier qui s’y trouve est peut-être incomplet à présent.</translation>
    </message>
    <message>
        <source> The file that was there is unchanged.</source>
        <translation> Le fichier qui s’y trouvait est inchangé.</translation>
    </message>
    <message>
        <source>The finished PDF could not be read from the temporary folder, so nothing was saved as %1: %2.</source>
        <translation>Le PDF terminé n’a pas pu être lu dans le dossier temporaire, rien n’a donc été enregistré sous %1&#xa0;: %2.</translation>
    </message>
</context>
<context>
    <name>ShowImage</name>
    <message>
        <source>The picture could not be read.</source>
        <translation>L’image n’a pas pu être lue.</translation>
    </message>
</context>
<context>
    <name>ShowImageSurface</name>
    <message>
        <source>Loading the picture…</source>
        <translation>Chargement de l’image…</translation>
    </message>
</context>
<context>
    <name>TerminalRun</name>
    <message>
        <source>--date takes a PDF date (D:20240531143000+02&apos;00) or an ISO date (2024-05-31 or 2024-05-31T14:30:00+02:00), not &quot;%1&quot;</source>
        <translation>--date attend une date PDF (D:20240531143000+02&apos;00) ou une date ISO (2024-05-31 ou 2024-05-31T14:30:00+02:00), pas «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>--quality takes a whole number from 1 to 100, not &quot;%1&quot;</source>
        <translation>--quality attend un nombre entier de 1 à 100, pas «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>--page-size takes as-image, as-scanned, a4, a5, a3, letter or legal, not &quot;%1&quot;</source>
        <translation>--page-size attend as-image, as-scanned, a4, a5, a3, letter ou legal, pas «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>--orientation takes auto, portrait or landscape, not &quot;%1&quot;</source>
        <translation>--orientation attend auto, portrait ou landscape, pas «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>--margin takes a whole number of millimetres from 0 to %1, not &quot;%2&quot;</source>
        <translation>--margin attend un nombre entier de millimètres de 0 à %1, pas «&#xa0;%2&#xa0;»</translation>
    </message>
    <message>
        <source>unknown option &quot;%1&quot; (pagewell --help lists the options)</source>
        <translation>option inconnue «&#xa0;%1&#xa0;» (pagewell --help donne la liste des options)</translation>
    </message>
    <message>
        <source>the option %1 needs a value</source>
        <translation>l’option %1 attend une valeur</translation>
    </message>
    <message>
        <source>no image or folder is named (pagewell --help tells how)</source>
        <translation>aucune image ni aucun dossier n’est indiqué (pagewell --help explique comment)</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not an image this program can read; it is left out.</source>
        <translation>«&#xa0;%1&#xa0;» n’est pas une image que ce programme sait lire&#xa0;; elle est laissée de côté.</translation>
    </message>
    <message>
        <source>standard output</source>
        <translation>la sortie standard</translation>
    </message>
    <message>
        <source>Image %1 of %2</source>
        <translation>Image %1 sur %2</translation>
    </message>
    <message>
        <source>Joining pages: %1 of %2</source>
        <translation>Assemblage des pages&#xa0;: %1 sur %2</translation>
    </message>
    <message>
        <source>Saving to %1</source>
        <translation>Enregistrement dans %1</translation>
    </message>
    <message>
        <source>no temporary folder for the document: %1</source>
        <translation>aucun dossier temporaire pour le document&#xa0;: %1</translation>
    </message>
    <message>
        <source>Saved to %1</source>
        <translation>Enregistré dans %1</translation>
    </message>
    <message>
        <source>the document could not be written to standard output: %1</source>
        <translation>le document n’a pas pu être écrit sur la sortie standard&#xa0;: %1</translation>
    </message>
</context>
<context>
    <name>ToolBarCommands</name>
    <message>
        <source>Open Files</source>
        <translation>Ouvrir des fichiers</translation>
    </message>
    <message>
        <source>All Files(*.*)</source>
        <translation>Tous les fichiers(*.*)</translation>
    </message>
    <message>
        <source>JPG Files(*.jpg)</source>
        <translation>Fichiers JPG(*.jpg)</translation>
    </message>
    <message>
        <source>JPEG Files(*.jpeg)</source>
        <translation>Fichiers JPEG(*.jpeg)</translation>
    </message>
    <message>
        <source>TIF Files(*.tif)</source>
        <translation>Fichiers TIF(*.tif)</translation>
    </message>
    <message>
        <source>TIFF Files(*.tiff)</source>
        <translation>Fichiers TIFF(*.tiff)</translation>
    </message>
    <message>
        <source>BMP Files(*.BMP)</source>
        <translation>Fichiers BMP(*.BMP)</translation>
    </message>
    <message>
        <source>GIF Files(*.gif)</source>
        <translation>Fichiers GIF(*.gif)</translation>
    </message>
    <message>
        <source>PNG Files(*.png)</source>
        <translation>Fichiers PNG(*.png)</translation>
    </message>
    <message>
        <source>HEIC Files(*.heic;*.heif)</source>
        <translation>Fichiers HEIC(*.heic;*.heif)</translation>
    </message>
    <message>
        <source>AVIF Files(*.avif)</source>
        <translation>Fichiers AVIF(*.avif)</translation>
    </message>
    <message>
        <source>WebP Files(*.webp)</source>
        <translation>Fichiers WebP(*.webp)</translation>
    </message>
    <message>
        <source>JPEG XL Files(*.jxl)</source>
        <translation>Fichiers JPEG XL(*.jxl)</translation>
    </message>
</context>
<context>
    <name>Workspace</name>
    <message>
        <source>The temporary folder %1 cannot be written to, so the conversion cannot start: %2. Check that the folder exists and that there is free space on its disk.</source>
        <translation>Le dossier temporaire %1 n’est pas accessible en écriture, la conversion ne peut donc pas commencer&#xa0;: %2. Vérifiez que le dossier existe et qu’il reste de l’espace libre sur son disque.</translation>
    </message>
    <message>
        <source>The working folder %1 could not be made: %2.</source>
        <translation>Le dossier de travail %1 n’a pas pu être créé&#xa0;: %2.</translation>
    </message>
</context>
<context>
    <name>frmPrinting</name>
    <message>
        <source>Open a File</source>
        <translation>Ouvrir un fichier</translation>
    </message>
    <message>
        <source>Open an Image File</source>
        <translation>Ouvrir un fichier image</translation>
    </message>
    <message>
        <source>Add Folder</source>
        <translation>Ajouter un dossier</translation>
    </message>
    <message>
        <source>Add Image Files from a Folder</source>
        <translation>Ajouter les fichiers image d’un dossier</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Close This Image File</source>
        <translation>Fermer ce fichier image</translation>
    </message>
    <message>
        <source>Clean</source>
        <translation>Vider</translation>
    </message>
    <message>
        <source>Remove all from File List</source>
        <translation>Tout retirer de la liste des fichiers</translation>
    </message>
    <message>
        <source>Move Down</source>
        <translation>Descendre</translation>
    </message>
    <message>
        <source>Move selected Down</source>
        <translation>Descendre la sélection</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>Keep original quality</source>
        <translation>Garder la qualité d’origine</translation>
    </message>
    <message>
        <source>A JPEG&apos;s page keeps the file&apos;s own data, any other picture is kept without loss; the quality is then not used</source>
        <translation>La page d’un JPEG garde les données du fichier, toute autre image est gardée sans perte&#xa0;; la qualité n’est alors pas utilisée</translation>
    </message>
    <message>
        <source>Page size:</source>
        <translation>Taille de page&#xa0;:</translation>
    </message>
    <message>
        <source>As the image</source>
        <translation>Comme l’image</translation>
    </message>
    <message>
        <source>As scanned</source>
        <translation>Comme numérisée</translation>
    </message>
    <message>
        <source>Letter</source>
        <comment>paper size</comment>
        <translation>Lettre US</translation>
    </message>
    <message>
        <source>Legal</source>
        <comment>paper size</comment>
        <translation>Légal US</translation>
    </message>
    <message>
        <source>As the image and as scanned make each page the size of its picture; a paper size fits every picture on that sheet</source>
        <translation>«&#xa0;Comme l’image&#xa0;» et «&#xa0;Comme numérisée&#xa0;» donnent à chaque page la taille de son image&#xa0;; un format de papier place chaque image sur cette feuille</translation>
    </message>
    <message>
        <source>Orientation:</source>
        <translation>Orientation&#xa0;:</translation>
    </message>
    <message>
        <source>Automatic turns each sheet to match its picture</source>
        <translation>Automatique tourne chaque feuille selon son image</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automatique</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>Portrait</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>Paysage</translation>
    </message>
    <message>
        <source>Margin:</source>
        <translation>Marge&#xa0;:</translation>
    </message>
    <message>
        <source>On every side of the sheet, in millimetres</source>
        <translation>De chaque côté de la feuille, en millimètres</translation>
    </message>
    <message>
        <source>Rotate Left</source>
        <translation>Pivoter à gauche</translation>
    </message>
    <message>
        <source>Turn the selected pages a quarter to the left (Ctrl+L)</source>
        <translation>Tourner les pages choisies d’un quart vers la gauche (Ctrl+L)</translation>
    </message>
    <message>
        <source>Rotate Right</source>
        <translation>Pivoter à droite</translation>
    </message>
    <message>
        <source>Turn the selected pages a quarter to the right (Ctrl+R)</source>
        <translation>Tourner les pages choisies d’un quart vers la droite (Ctrl+R)</translation>
    </message>
    <message>
        <source>Move Up</source>
        <translation>Monter</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>Monter la sélection</translation>
    </message>
    <message>
        <source>Drag &amp; Drop Files Here</source>
        <translation>Déposez les fichiers ici</translation>
    </message>
    <message>
        <source>Convert To PDF Now</source>
        <translation>Convertir en PDF</translation>
    </message>
    <message>
        <source>File List:</source>
        <translation>Liste des fichiers&#xa0;:</translation>
    </message>
    <message>
        <source>Getting started</source>
        <translation>Pour commencer</translation>
    </message>
    <message>
        <source>The images in page order. Alt+Up and Alt+Down move the selected image, Delete removes it.</source>
        <translation>Les images dans l’ordre des pages. Alt+Haut et Alt+Bas déplacent l’image sélectionnée, Suppr la retire.</translation>
    </message>
    <message>
        <source>Page Number Of Selected File: 0</source>
        <translation>Numéro de page du fichier sélectionné&#xa0;: 0</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Aperçu</translation>
    </message>
    <message>
        <source>The image opened last</source>
        <translation>La dernière image ouverte</translation>
    </message>
    <message>
        <source>Now</source>
        <translation>Maintenant</translation>
    </message>
    <message>
        <source>PDF Document Title:</source>
        <translation>Titre du document PDF&#xa0;:</translation>
    </message>
    <message>
        <source>PDF Author:</source>
        <translation>Auteur du PDF&#xa0;:</translation>
    </message>
    <message>
        <source>Creation Date:</source>
        <translation>Date de création&#xa0;:</translation>
    </message>
    <message>
        <source>As the PDF keeps it: D:, then year, month, day, hours, minutes and seconds</source>
        <translation>Telle que le PDF la conserve&#xa0;: D:, puis année, mois, jour, heures, minutes et secondes</translation>
    </message>
    <message>
        <source>Sets the creation date to the current time</source>
        <translation>Règle la date de création sur l’heure actuelle</translation>
    </message>
    <message>
        <source>Subject:</source>
        <translation>Sujet&#xa0;:</translation>
    </message>
    <message>
        <source>Keywords:</source>
        <translation>Mots-clés&#xa0;:</translation>
    </message>
    <message>
        <source>Compress Quality:</source>
        <translation>Qualité de compression&#xa0;:</translation>
    </message>
    <message>
        <source>Good</source>
        <translation>Bonne</translation>
    </message>
    <message>
        <source>Quality</source>
        <translation>Qualité</translation>
    </message>
    <message>
        <source>Output Path:</source>
        <translation>Chemin de sortie&#xa0;:</translation>
    </message>
    <message>
        <source>Select a Folder to Output</source>
        <translation>Choisir un dossier de sortie</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Parcourir</translation>
    </message>
    <message>
        <source>Select an Output Folder</source>
        <translation>Choisir un dossier de sortie</translation>
    </message>
    <message>
        <source>Makes one PDF of the listed images and asks where to save it (Ctrl+Return)</source>
        <translation>Crée un PDF des images de la liste et demande où l’enregistrer (Ctrl+Entrée)</translation>
    </message>
    <message>
        <source>Conversion progress</source>
        <translation>Progression de la conversion</translation>
    </message>
    <message>
        <source>Conversion status</source>
        <translation>État de la conversion</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>&amp;Open an Image</source>
        <translation>&amp;Ouvrir une image</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>&amp;Website</source>
        <translation>Site &amp;web</translation>
    </message>
    <message>
        <source>Converting...</source>
        <translation>Conversion en cours...</translation>
    </message>
    <message>
        <source>Please select a folder:</source>
        <translation>Veuillez choisir un dossier&#xa0;:</translation>
    </message>
    <message>
        <source>Searching Files...</source>
        <translation>Recherche des fichiers...</translation>
    </message>
    <message>
        <source>about</source>
        <translation>À propos</translation>
    </message>
    <message>
        <source>Pagewell %1 © 2026 the Pagewell developers. All rights reserved.</source>
        <translation>Pagewell %1 © 2026 les développeurs de Pagewell. Tous droits réservés.</translation>
    </message>
    <message>
        <source>Page Number of Selected File: %1</source>
        <translation>Numéro de page du fichier sélectionné&#xa0;: %1</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <comment>menu</comment>
        <translation>À &amp;propos</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <comment>menu item</comment>
        <translation>À propos de &amp;Pagewell</translation>
    </message>
</context>
</TS>
