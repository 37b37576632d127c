#!/usr/bin/env python3
"""Writes the sample game installation that the program, the tests and the
benchmarks use when no real installation is at hand.

    python3 tools/make_sample.py OUTDIR

The output is the same, byte for byte, on every run: archive timestamps are fixed,
every listing is sorted and the random-looking members come from a seeded hash chain.
The installation is built in memory, written into a temporary sibling folder and then
swapped in for OUTDIR, so a reader never sees half a sample. When OUTDIR already holds
exactly these bytes it is left alone (several build trees share one sample).

Names on disk keep the letter case in which module files and the program spell them:
the native build reads them on a case-sensitive file system.

Only the Python standard library is used. tools/README.md describes the contents.
"""

import hashlib
import os
import shutil
import struct
import sys
import zlib

# 2006-09-14 00:00:00 UTC: every timestamp in the sample, inside archives and on disk.
FIXED_TIME = 1158192000

# ---------------------------------------------------------------------------
# SGA archives
# ---------------------------------------------------------------------------

# Keys the game's tools put in front of the hashed bytes.
FILE_MD5_KEY = b"E01519D6-2DB7-4640-AF54-0A23319C56C3"
TOC_MD5_KEY = b"DFC9AF62-FC1B-4180-BC27-11CCE87D3EFF"

HEADER_SIZE = {2: 180, 4: 184}
FILE_RECORD_SIZE = {2: 20, 4: 22}
# Bytes the game reserves in front of every member: name[256], then (v2) the
# modification time and the CRC-32, or (v4) the CRC-32 alone.
MEMBER_HEADER_SIZE = {2: 264, 4: 260}
TOC_FIXED_SIZE = 24
DRIVE_RECORD_SIZE = 138
FOLDER_RECORD_SIZE = 12
# Compression flags: v2 marks a zlib member with 0x20; v4 uses 1.
COMPRESSED_FLAG = {2: 0x20, 4: 1}


def _fixed_text(text, size):
    data = text.encode("ascii")
    if len(data) >= size:
        raise ValueError("name too long for a %d-byte field: %r" % (size, text))
    return data + b"\0" * (size - len(data))


def _folder_tree(members):
    """Folder path -> (sub-folder paths, file names), with every ancestor present."""
    subs = {"": set()}
    files = {"": []}
    for path in members:
        folder, _, name = path.rpartition("\\")
        files.setdefault(folder, []).append(name)
        while True:
            subs.setdefault(folder, set())
            files.setdefault(folder, [])
            if not folder:
                break
            parent = folder.rpartition("\\")[0]
            subs.setdefault(parent, set()).add(folder)
            folder = parent
    return subs, files


def build_sga(version, archive_name, members):
    """The bytes of an SGA archive of `version` (2 or 4) holding `members`
    (lower-case paths with backslashes -> bytes)."""
    if version not in HEADER_SIZE:
        raise ValueError("unsupported SGA version %r" % version)
    for path in members:
        if path != path.lower() or "/" in path or path.startswith("\\") or not path:
            raise ValueError("member path must be lower-case with backslashes: %r" % path)

    subs, files = _folder_tree(members)

    # Folders breadth-first from the root, so every folder's sub-folders are contiguous.
    order = [""]
    sub_range = {}
    index = 0
    while index < len(order):
        folder = order[index]
        children = sorted(subs[folder], key=lambda p: p.encode("ascii"))
        sub_range[folder] = (len(order), len(order) + len(children))
        order.extend(children)
        index += 1

    # Files folder by folder, each folder's names in byte order (readers bisect them).
    file_rows = []
    file_range = {}
    for folder in order:
        names = sorted(files[folder], key=lambda n: n.encode("ascii"))
        file_range[folder] = (len(file_rows), len(file_rows) + len(names))
        for name in names:
            file_rows.append((folder, name))
    if len(order) > 0xFFFF or len(file_rows) > 0xFFFF:
        raise ValueError("too many folders or files for 16-bit counts")

    # Name block: folder names, then file names, each zero-terminated.
    name_block = bytearray()
    folder_name_offset = {}
    for folder in order:
        folder_name_offset[folder] = len(name_block)
        name_block += folder.encode("ascii") + b"\0"
    file_name_offset = []
    for _, name in file_rows:
        file_name_offset.append(len(name_block))
        name_block += name.encode("ascii") + b"\0"

    # Member data, each behind its reserved per-member header.
    data = bytearray()
    file_records = []
    for row, (folder, name) in enumerate(file_rows):
        path = folder + "\\" + name if folder else name
        content = members[path]
        packed = zlib.compress(content, 9)
        compressed = len(packed) < len(content)
        stored = packed if compressed else content
        crc = zlib.crc32(content) & 0xFFFFFFFF
        data += _fixed_text(name, 256)
        if version == 2:
            data += struct.pack("<II", FIXED_TIME, crc)
        else:
            data += struct.pack("<I", crc)
        offset = len(data)
        data += stored
        flags = COMPRESSED_FLAG[version] if compressed else 0
        if version == 2:
            record = struct.pack("<IIIII", file_name_offset[row], flags, offset,
                                 len(stored), len(content))
        else:
            record = struct.pack("<IIIIIH", file_name_offset[row], offset, len(stored),
                                 len(content), FIXED_TIME, flags)
        file_records.append(record)

    folder_table_offset = TOC_FIXED_SIZE + DRIVE_RECORD_SIZE
    file_table_offset = folder_table_offset + FOLDER_RECORD_SIZE * len(order)
    name_block_offset = file_table_offset + FILE_RECORD_SIZE[version] * len(file_rows)

    toc = bytearray()
    toc += struct.pack("<IHIHIHIH", TOC_FIXED_SIZE, 1, folder_table_offset, len(order),
                       file_table_offset, len(file_rows), name_block_offset,
                       len(order) + len(file_rows))
    toc += _fixed_text("data", 64) + _fixed_text(archive_name.lower(), 64)
    toc += struct.pack("<HHHHH", 0, len(order), 0, len(file_rows), 0)
    for folder in order:
        first_sub, end_sub = sub_range[folder]
        first_file, end_file = file_range[folder]
        toc += struct.pack("<IHHHH", folder_name_offset[folder], first_sub, end_sub,
                           first_file, end_file)
    for record in file_records:
        toc += record
    toc += name_block
    assert len(toc) == name_block_offset + len(name_block)

    header_size = HEADER_SIZE[version]
    body = bytes(toc) + bytes(data)
    name_units = archive_name.encode("utf-16-le")
    if len(name_units) > 128:
        raise ValueError("archive name too long: %r" % archive_name)
    header = bytearray()
    header += b"_ARCHIVE"
    header += struct.pack("<I", version)
    header += hashlib.md5(FILE_MD5_KEY + body).digest()
    header += name_units + b"\0" * (128 - len(name_units))
    header += hashlib.md5(TOC_MD5_KEY + bytes(toc)).digest()
    header += struct.pack("<II", len(toc), header_size + len(toc))
    if version == 4:
        header += struct.pack("<I", 1)  # platform
    assert len(header) == header_size
    return bytes(header) + body


# ---------------------------------------------------------------------------
# Text files
# ---------------------------------------------------------------------------

def build_ucs(entries):
    """A .ucs table: UTF-16LE with byte-order mark, `id<TAB>text` lines ending in
    CR LF (the last line too: a reader drops the last two units of a line without)."""
    lines = "".join("%d\t%s\r\n" % (ident, text) for ident, text in entries)
    return b"\xff\xfe" + lines.encode("utf-16-le")


def crlf(text):
    """Game text files use CR LF line ends."""
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("ascii")


def noise(seed, size):
    """Incompressible but reproducible bytes (members that stay stored)."""
    out = bytearray()
    block = hashlib.sha256(seed.encode("ascii")).digest()
    while len(out) < size:
        out += block
        block = hashlib.sha256(block).digest()
    return bytes(out[:size])


def screen_script(name, origin):
    return crlf("-- %s: placeholder screen of the sample installation.\n"
                "-- Copy read from %s.\n"
                "Screen = { }\n" % (name, origin))


def style_sheet(name, origin):
    return crlf("-- %s: placeholder style sheet (from %s).\n"
                "StyleSheet = {\n"
                "\tStyles = {\n"
                "\t},\n"
                "}\n" % (name, origin))


def colour_table(origin, accent):
    return crlf("-- Colour table of the sample installation, read from %s.\n"
                "-- Every source that holds this file has its own accent colour, so the\n"
                "-- copy that wins in the union can be told from the others.\n"
                "ColourTable = {\n"
                "\t{ key = \"white\", value = { 255, 255, 255, 255 } },\n"
                "\t{ key = \"black\", value = { 0, 0, 0, 255 } },\n"
                "\t{ key = \"menu_text\", value = { 230, 220, 190, 255 } },\n"
                "\t{ key = \"menu_text_disabled\", value = { 120, 115, 100, 255 } },\n"
                "\t{ key = \"accent\", value = { %d, %d, %d, 255 } },\n"
                "}\n" % ((origin,) + accent))


def long_text(title, paragraphs):
    """A larger text member that compresses well."""
    body = "\n\n".join(paragraphs)
    return crlf("%s\n%s\n\n%s\n" % (title, "=" * len(title), body))


# ---------------------------------------------------------------------------
# Localised strings
# ---------------------------------------------------------------------------

# Menu labels of the engine table: (english, french). Identifiers 1.., with a gap.
ENGINE_LABELS = [
    ("OK", "OK"), ("Cancel", "Annuler"), ("Back", "Retour"), ("Accept", "Accepter"),
    ("Apply", "Appliquer"), ("Yes", "Oui"), ("No", "Non"), ("Options", "Options"),
    ("Quit", "Quitter"), ("Quit to desktop", "Quitter vers le bureau"),
    ("Main menu", "Menu principal"), ("Campaign", "Campagne"), ("Skirmish", "Escarmouche"),
    ("Multiplayer", "Multijoueur"), ("Profile", "Profil"), ("New profile", "Nouveau profil"),
    ("Delete profile", "Supprimer le profil"), ("Load game", "Charger une partie"),
    ("Save game", "Sauvegarder la partie"), ("Credits", "Cr\u00e9dits"),
    ("Continue", "Continuer"), ("Restart mission", "Recommencer la mission"),
    ("Resume", "Reprendre"), ("Pause", "Pause"), ("Difficulty", "Difficult\u00e9"),
    ("Easy", "Facile"), ("Normal", "Normale"), ("Hard", "Difficile"),
    ("Insane", "D\u00e9mentielle"), ("Graphics", "Graphismes"), ("Sound", "Son"),
    ("Controls", "Commandes"), ("Game speed", "Vitesse du jeu"),
    ("Subtitles", "Sous-titres"), ("Music volume", "Volume de la musique"),
    ("Effects volume", "Volume des effets"), ("Speech volume", "Volume des voix"),
    ("Screen resolution", "R\u00e9solution de l'\u00e9cran"),
    ("Texture detail", "D\u00e9tail des textures"), ("Shadows", "Ombres"),
    # identifiers 41 to 49 are left free on purpose
    None, None, None, None, None, None, None, None, None,
    ("Low", "Bas"), ("Medium", "Moyen"), ("High", "\u00c9lev\u00e9"), ("Full", "Complet"),
    ("Team", "\u00c9quipe"), ("Player", "Joueur"), ("Race", "Race"), ("Map", "Carte"),
    ("Start game", "Lancer la partie"), ("Ready", "Pr\u00eat"),
    ("Not ready", "Pas pr\u00eat"), ("Kick player", "Exclure le joueur"),
    ("Invite friend", "Inviter un ami"), ("Friends", "Amis"), ("Chat", "Discussion"),
    ("Send", "Envoyer"), ("Lobby", "Salon"), ("Automatch", "Partie automatique"),
    ("Quick match", "Partie rapide"), ("Direct connect", "Connexion directe"),
    ("LAN game", "Partie en r\u00e9seau local"), ("Password", "Mot de passe"),
    ("Nickname", "Pseudonyme"), ("Log in", "Connexion"), ("Log out", "D\u00e9connexion"),
    ("Victory", "Victoire"), ("Defeat", "D\u00e9faite"), ("Objectives", "Objectifs"),
    ("Mission briefing", "Briefing de mission"), ("Statistics", "Statistiques"),
    ("Medals", "M\u00e9dailles"), ("Army painter", "Peinture d'arm\u00e9e"),
    ("Wargear", "\u00c9quipement"), ("Reinforcements", "Renforts"),
    ("Loading...", "Chargement..."), ("Please wait", "Veuillez patienter"),
    ("Connecting...", "Connexion en cours..."), ("Connection lost", "Connexion perdue"),
    ("Download patch", "T\u00e9l\u00e9charger le correctif"), ("Attack!", "Attaquez !"),
    ("Retreat!", "Repliez-vous !"), ("Hold position", "Tenir la position"),
]

# Tooltips of the engine table, identifiers 300.., one gap.
ENGINE_TOOLTIPS = [
    ("Starts a new campaign from the first mission.",
     "Commence une nouvelle campagne depuis la premi\u00e8re mission."),
    ("Continues the campaign from your last saved game.",
     "Reprend la campagne depuis votre derni\u00e8re sauvegarde."),
    ("Plays a battle against computer opponents on a map of your choice.",
     "Joue une bataille contre des adversaires de l'ordinateur sur la carte de votre choix."),
    ("Plays against other people over the Internet or a local network.",
     "Joue contre d'autres personnes sur Internet ou en r\u00e9seau local."),
    ("Changes the graphics, sound and control settings.",
     "Modifie les r\u00e9glages des graphismes, du son et des commandes."),
    ("Shows the people who made this game.",
     "Affiche les personnes qui ont cr\u00e9\u00e9 ce jeu."),
    ("Leaves the game and returns to the desktop.",
     "Quitte le jeu et revient au bureau."),
    ("Loads a game that you saved earlier.",
     "Charge une partie que vous avez sauvegard\u00e9e."),
    ("Saves the current game so that you can continue it later.",
     "Sauvegarde la partie en cours pour la reprendre plus tard."),
    ("Creates a new player profile with its own settings and progress.",
     "Cr\u00e9e un nouveau profil de joueur avec ses propres r\u00e9glages et sa progression."),
    ("Deletes the selected profile and all of its saved games.",
     "Supprime le profil choisi et toutes ses sauvegardes."),
    ("Sets how fast the game runs. Faster speeds make battles harder to follow.",
     "R\u00e8gle la vitesse du jeu. Une vitesse \u00e9lev\u00e9e rend les batailles difficiles \u00e0 suivre."),
    ("Shows subtitles for every spoken line.",
     "Affiche les sous-titres de chaque r\u00e9plique."),
    ("Lower texture detail if the game runs slowly on your computer.",
     "R\u00e9duisez le d\u00e9tail des textures si le jeu est lent sur votre ordinateur."),
    ("Shadows cost performance on older graphics cards.",
     "Les ombres co\u00fbtent des performances sur les cartes graphiques anciennes."),
    ("Marks you as ready. The host starts the game when every player is ready.",
     "Vous indique comme pr\u00eat. L'h\u00f4te lance la partie quand tous les joueurs sont pr\u00eats."),
    ("Removes the selected player from the lobby.",
     "Retire le joueur choisi du salon."),
    ("Sends an invitation to join your game to a friend.",
     "Envoie \u00e0 un ami une invitation \u00e0 rejoindre votre partie."),
    ("Finds opponents of your skill level and starts a game automatically.",
     "Trouve des adversaires de votre niveau et lance une partie automatiquement."),
    ("Connects to a game by its address.",
     "Se connecte \u00e0 une partie par son adresse."),
    None,
    ("Orders the selected units to attack the target.",
     "Ordonne aux unit\u00e9s choisies d'attaquer la cible."),
    ("Orders the selected units to fall back to the nearest base.",
     "Ordonne aux unit\u00e9s choisies de se replier vers la base la plus proche."),
    ("Orders the selected units to stay where they are and return fire.",
     "Ordonne aux unit\u00e9s choisies de rester sur place et de riposter."),
    ("Opens the army painter to change the colours of your army.",
     "Ouvre la peinture d'arm\u00e9e pour changer les couleurs de votre arm\u00e9e."),
    ("Shows the medals that you have earned in the campaign.",
     "Affiche les m\u00e9dailles gagn\u00e9es pendant la campagne."),
    ("Shows the statistics of the last battle.",
     "Affiche les statistiques de la derni\u00e8re bataille."),
    ("Downloads and installs the latest patch.%N%The game restarts afterwards.",
     "T\u00e9l\u00e9charge et installe le dernier correctif.%N%Le jeu red\u00e9marre ensuite."),
    ("The connection to the host was lost.%N%Returning to the main menu.",
     "La connexion avec l'h\u00f4te a \u00e9t\u00e9 perdue.%N%Retour au menu principal."),
    ("Your nickname is already taken. Please choose another one.",
     "Ce pseudonyme est d\u00e9j\u00e0 pris. Veuillez en choisir un autre."),
    ("The password is invalid. Please try again.",
     "Le mot de passe est incorrect. Veuillez r\u00e9essayer."),
    ("Are you sure you want to quit?%N%Unsaved progress will be lost.",
     "Voulez-vous vraiment quitter ?%N%La progression non sauvegard\u00e9e sera perdue."),
    ("Are you sure you want to delete this profile?",
     "Voulez-vous vraiment supprimer ce profil ?"),
    ("Insert the game disc and press OK.",
     "Ins\u00e9rez le disque du jeu et appuyez sur OK."),
    ("The CD key is invalid. Check the key on the back of the manual.",
     "La cl\u00e9 CD est incorrecte. V\u00e9rifiez la cl\u00e9 au dos du manuel."),
]

# Loading-screen tips, identifiers 500..
ENGINE_TIPS = [
    ("Capture strategic points to increase your resource income.",
     "Capturez les points strat\u00e9giques pour augmenter vos revenus."),
    ("Units in cover take less damage. Look for craters, walls and ruins.",
     "Les unit\u00e9s \u00e0 couvert subissent moins de d\u00e9g\u00e2ts. Cherchez les crat\u00e8res, les murs et les ruines."),
    ("Heavy Gunners must set up before they can fire.",
     "Les mitrailleurs lourds doivent s'installer avant de tirer."),
    ("Engineers can repair vehicles and build defences.",
     "Les ing\u00e9nieurs r\u00e9parent les v\u00e9hicules et construisent des d\u00e9fenses."),
    ("Snipers are deadly against infantry but weak against vehicles.",
     "Les tireurs d'\u00e9lite sont redoutables contre l'infanterie mais faibles contre les v\u00e9hicules."),
    ("Retreat a squad before it is lost: veterans are worth saving.",
     "Repliez une escouade avant de la perdre : les v\u00e9t\u00e9rans valent la peine d'\u00eatre sauv\u00e9s."),
    ("Reinforce squads near your base to bring them back to full strength.",
     "Renforcez les escouades pr\u00e8s de votre base pour les ramener \u00e0 pleine force."),
    ("Tanks are strongest from the front. Attack them from the rear.",
     "Les chars sont plus solides de face. Attaquez-les par l'arri\u00e8re."),
    ("Artillery can break a defensive line, but it needs a spotter to see far.",
     "L'artillerie peut briser une ligne d\u00e9fensive, mais elle a besoin d'un observateur pour voir loin."),
    ("Scouts see further than other units and can reveal hidden enemies.",
     "Les \u00e9claireurs voient plus loin que les autres unit\u00e9s et r\u00e9v\u00e8lent les ennemis cach\u00e9s."),
    ("Press the pause key to give orders while the game is paused.",
     "Appuyez sur la touche de pause pour donner des ordres pendant la pause."),
    ("Grenadiers can throw grenades over walls.",
     "Les grenadiers peuvent lancer des grenades par-dessus les murs."),
    ("Walkers are slow but hard to stop. Use anti-tank weapons against them.",
     "Les marcheurs sont lents mais difficiles \u00e0 arr\u00eater. Utilisez des armes antichars contre eux."),
    ("Commanders make nearby squads fight better.",
     "Les commandants font mieux combattre les escouades proches."),
    ("Medics heal infantry that stands close to them.",
     "Les infirmiers soignent l'infanterie qui se tient pr\u00e8s d'eux."),
    ("Jump Troops can cross cliffs and rivers in a single leap.",
     "Les troupes d'assaut a\u00e9roport\u00e9es franchissent falaises et rivi\u00e8res d'un seul bond."),
    ("Bikers are fast raiders: send them after enemy engineers.",
     "Les motards sont des pillards rapides : envoyez-les chasser les ing\u00e9nieurs ennemis."),
    ("Sentinels guard a point and attack anything that comes near.",
     "Les sentinelles gardent un point et attaquent tout ce qui s'approche."),
    ("Upgrade your weapons at the armoury to beat armoured enemies.",
     "Am\u00e9liorez vos armes \u00e0 l'arsenal pour vaincre les ennemis blind\u00e9s."),
    ("Save often. The campaign autosaves at the start of every mission.",
     "Sauvegardez souvent. La campagne sauvegarde automatiquement au d\u00e9but de chaque mission."),
]

# Units of the parent module's table; each gets a row of six strings.
UNITS = [
    ("Line Troopers", "Soldats de ligne"), ("Scouts", "\u00c9claireurs"),
    ("Heavy Gunners", "Mitrailleurs lourds"), ("Engineers", "Ing\u00e9nieurs"),
    ("Medics", "Infirmiers"), ("Snipers", "Tireurs d'\u00e9lite"),
    ("Assault Squads", "Escouades d'assaut"), ("Rangers", "Rangers"),
    ("Grenadiers", "Grenadiers"), ("Sentinels", "Sentinelles"), ("Walkers", "Marcheurs"),
    ("Tanks", "Chars"), ("Artillery Crews", "Servants d'artillerie"), ("Bikers", "Motards"),
    ("Jump Troops", "Troupes d'assaut a\u00e9roport\u00e9es"), ("Commanders", "Commandants"),
]
UNIT_TEMPLATES = [
    ("{u}", "{u}"),
    ("Recruit {u}", "Recruter : {u}"),
    ("Recruits a squad of {u}.%N%Requires: Barracks",
     "Recrute une escouade : {u}.%N%N\u00e9cessite : Caserne"),
    ("Upgrade {u}", "Am\u00e9liorer : {u}"),
    ("Upgrades the weapons of your {u}.", "Am\u00e9liore les armes de vos unit\u00e9s : {u}."),
    ("{u} are under attack!", "{u} : attaque en cours !"),
]

BUILDINGS = [
    ("Barracks", "Caserne"), ("Armoury", "Arsenal"), ("Field Hospital", "H\u00f4pital de campagne"),
    ("Vehicle Depot", "D\u00e9p\u00f4t de v\u00e9hicules"), ("Command Post", "Poste de commandement"),
    ("Listening Post", "Poste d'\u00e9coute"), ("Watch Tower", "Tour de guet"),
    ("Supply Yard", "D\u00e9p\u00f4t de ravitaillement"),
    ("Artillery Emplacement", "Emplacement d'artillerie"), ("Generator", "G\u00e9n\u00e9rateur"),
]
BUILDING_TEMPLATES = [
    ("{b}", "{b}"),
    ("Build {b}", "Construire : {b}"),
    ("{b} under construction", "{b} : construction en cours"),
    ("{b} destroyed! Rebuild it to restore its abilities.",
     "{b} : d\u00e9truit ! Reconstruisez-le pour retrouver ses capacit\u00e9s."),
]

FRONTIER_MISSIONS = [
    ("The Border Road", "La route de la fronti\u00e8re"),
    ("Smoke over the Valley", "Fum\u00e9e sur la vall\u00e9e"),
    ("The Iron Bridge", "Le pont de fer"),
    ("Night Raid", "Raid nocturne"),
    ("The Old Fortress", "La vieille forteresse"),
    ("Supply Lines", "Lignes de ravitaillement"),
    ("The Long Retreat", "La longue retraite"),
    ("Last Stand at the Ford", "Dernier combat au gu\u00e9"),
]

BASTION_STRINGS = [
    ("Bastion Campaign", "Campagne Bastion"),
    ("Hold the northern line", "Tenir la ligne nord"),
    ("Mission 1: The Outer Wall", "Mission 1 : Le mur ext\u00e9rieur"),
    ("Mission 2: The Gatehouse", "Mission 2 : Le corps de garde"),
    ("Mission 3: Fire in the Keep", "Mission 3 : Le feu dans le donjon"),
    ("Mission 4: The Relief Column", "Mission 4 : La colonne de secours"),
    ("Mission 5: Breakout", "Mission 5 : La perc\u00e9e"),
    ("The enemy has reached the outer wall.%N%Hold it until the engineers have sealed the breach.",
     "L'ennemi a atteint le mur ext\u00e9rieur.%N%Tenez-le jusqu'\u00e0 ce que les ing\u00e9nieurs aient colmat\u00e9 la br\u00e8che."),
    ("Primary objective: defend the gatehouse.", "Objectif principal : d\u00e9fendre le corps de garde."),
    ("Secondary objective: rescue the trapped scouts.",
     "Objectif secondaire : sauver les \u00e9claireurs pris au pi\u00e8ge."),
    ("Secondary objective: destroy the enemy artillery.",
     "Objectif secondaire : d\u00e9truire l'artillerie ennemie."),
    ("Objective complete", "Objectif accompli"),
    ("Objective failed", "Objectif \u00e9chou\u00e9"),
    ("Reinforcements have arrived at the northern gate.",
     "Des renforts sont arriv\u00e9s \u00e0 la porte nord."),
    ("The keep is burning! Move your troops to the courtyard.",
     "Le donjon br\u00fble ! D\u00e9placez vos troupes dans la cour."),
    ("Victory!%N%The northern line holds.", "Victoire !%N%La ligne nord tient bon."),
    ("Defeat.%N%The bastion has fallen.", "D\u00e9faite.%N%Le bastion est tomb\u00e9."),
    ("Time remaining: %1%", "Temps restant : %1%"),
    ("Enemy waves remaining: %1%", "Vagues ennemies restantes : %1%"),
    ("Bastion options", "Options de Bastion"),
    ("Campaign map", "Carte de campagne"),
    ("Choose the next battle on the campaign map.",
     "Choisissez la prochaine bataille sur la carte de campagne."),
    ("Your army is ready for battle.", "Votre arm\u00e9e est pr\u00eate au combat."),
    ("The relief column is under attack on the north road!",
     "La colonne de secours est attaqu\u00e9e sur la route du nord !"),
]

GERMAN_STRINGS = [
    ("Grenzland", 10900), ("Die Grenzstra\u00dfe", 10901), ("Rauch \u00fcber dem Tal", 10902),
    ("Die eiserne Br\u00fccke", 10903), ("Angriff!", 10904),
]

# The identifier that both the main module's and the parent's table hold: the main
# module's tables are read first, so its text is the one shown.
SHARED_ID = 10005


def numbered(first, pairs, pick):
    """(id, text) rows from `first` on; a None entry leaves its identifier free."""
    rows = []
    for offset, pair in enumerate(pairs):
        if pair is not None:
            rows.append((first + offset, pair[pick]))
    return rows


def engine_strings(pick):
    return (numbered(1, ENGINE_LABELS, pick) + numbered(300, ENGINE_TOOLTIPS, pick)
            + numbered(500, ENGINE_TIPS, pick))


def frontier_strings(pick):
    rows = [(9990, ("Frontier Campaign", "Campagne Fronti\u00e8re")[pick])]
    for unit_index, unit in enumerate(UNITS):
        for template_index, template in enumerate(UNIT_TEMPLATES):
            # Six strings per unit in a block of ten: the rest of each block is a gap.
            ident = 10000 + unit_index * 10 + template_index
            rows.append((ident, template[pick].format(u=unit[pick])))
    for building_index, building in enumerate(BUILDINGS):
        for template_index, template in enumerate(BUILDING_TEMPLATES):
            ident = 11000 + building_index * 10 + template_index
            rows.append((ident, template[pick].format(b=building[pick])))
    for index, mission in enumerate(FRONTIER_MISSIONS):
        rows.append((10500 + index, mission[pick]))
    return rows


def bastion_strings(pick):
    rows = [(SHARED_ID, ("The wall is breached: Line Troopers are fighting at the gate!",
                         "Le mur est perc\u00e9 : les soldats de ligne combattent \u00e0 la porte !")[pick])]
    rows += numbered(20000, BASTION_STRINGS, pick)
    return rows


# ---------------------------------------------------------------------------
# The installation
# ---------------------------------------------------------------------------

MAIN_MODULE = """\
; The sample's main module: its own data, the data of Armoury (required) and of
; Frontier (the module it extends), then the engine's.
[global]
UIName = Bastion
Description = Bastion - hold the northern line in a five-mission campaign (sample main module)
ModFolder = Bastion
Parent = Frontier
RequiredMod.1 = Armoury
RequiredMod.2 = Reinforcements  ; no such module file: left out without a message
DataFolder.1 = Data
DataFolder.2 = %LOCALE%\\Data
ArchiveFile.1 = BastionScreens
ArchiveFile.2 = BastionBroken   ; truncated: cannot be opened
ArchiveFile.3 = BastionVoices   ; named but not installed

[data:common]
folder = Bastion\\Common
archive.01 = Bastion\\Archives\\BastionArt

[data:common:01]
folder = Bastion\\Patch
archive.01 = Bastion\\Archives\\BastionPatch

[data:english]
archive.01 = Bastion\\%LOCALE%\\BastionEnglish

[data:french]
archive.01 = Bastion\\%LOCALE%\\BastionFrench

[locale:english]
folder.01 = Bastion\\%LOCALE%

[locale:french]
folder.01 = Bastion\\%LOCALE%
"""

PARENT_MODULE = """\
; The base campaign that Bastion extends. Its locale folders are found by the
; default rule (Frontier\\Locale\\<locale>\\): there is no [locale:...] section.
[global]
UIName = Frontier
Description = Frontier - the original border campaign with eight missions
ModFolder = Frontier
DataFolder.1 = Data
ArchiveFile.1 = Frontier
"""

REQUIRED_MODULE = """\
; Extra wargear and the army painter, required by Bastion. It has no Locale folder,
; so it takes no part in choosing the locale.
[global]
UIName = Armoury
Description = Armoury - army painter, wargear and colour schemes for every race
ModFolder = Armoury
ArchiveFile.1 = Armoury
"""

# Screens of the main module, by where they are stored.
SCREENS_LOOSE_ONLY = [
    "MPGameSetupDialog.screen", "main_menu.screen", "loadingx.screen", "w40kgame.screen",
    "FEMainMenu.screen", "SPCampaignScreen.screen", "cdkeydialog.screen",
    "nicknamepromptdialog.screen", "passwordresetdialog.screen",
    "directconnectdialog.screen", "patchdownloadscreen.screen", "quickmatchscreen.screen",
    "ingamemenuscreen.screen", "teamselectscreen.screen",
]
SCREENS_IN_BOTH = [
    "mainmenuscreen.screen", "optionsscreen.screen", "lobby2.screen", "creditsscreen.screen",
]
SCREENS_ARCHIVE_ONLY = [
    "automatchlobbyscreen.screen", "friendslist.screen", "chatlobbyscreen.screen",
    "invitefriendsdialog.screen", "missionbriefingscreen.screen", "objectivesscreen.screen",
    "victorysummaryscreen.screen", "battlestatsscreen.screen",
    "profileselectionscreen.screen", "newprofiledialog.screen", "deleteprofiledialog.screen",
    "savegamedialog.screen", "loadgamedialog.screen", "quitconfirmationdialog.screen",
    "performanceoptionsscreen.screen", "lanlobbyscreen.screen", "gamespyloginscreen.screen",
    "tutorialpopup.screen", "subtitleoverlay.screen", "loadingscreen.screen",
    "pausemenuscreen.screen", "medalsscreen.screen", "skirmishsetupscreen.screen",
]
SCREENS_PATCH_FOLDER = ["autosaveprompt.screen"]
SCREENS_PATCH_ARCHIVE = ["reinforcementpanel.screen"]
SCREENS_ARMOURY = ["armypainterscreen.screen", "wargearscreen.screen", "armycolorsscreen.screen"]
SCREENS_FRONTIER_ARCHIVE = [
    "campaignmapscreen.screen", "metamapscreen.screen", "difficultyselectdialog.screen",
    "mainmenuscreen.screen",
]
SCREENS_FRONTIER_FOLDER = ["historyscreen.screen"]


class Installation:
    """The files of the sample, by path relative to its root ('/' separated)."""

    def __init__(self):
        self.files = {}

    def add(self, path, data):
        if path in self.files:
            raise ValueError("file written twice: " + path)
        self.files[path] = data

    def add_source(self, tree, label, key):
        """Marks a source: `source.txt` (the same path in every source, so a read
        through the union shows which source wins) and `sources/<key>.txt` (present in
        that source only, so a test can see that the source was stacked)."""
        text = crlf("%s\n" % label)
        tree["source.txt"] = text
        tree["sources/%s.txt" % key] = text

    def add_folder(self, root, tree):
        for path, data in tree.items():
            self.add(root + "/" + path, data)

    def add_archive(self, path, version, tree):
        members = {p.replace("/", "\\").lower(): d for p, d in tree.items()}
        name = os.path.splitext(os.path.basename(path))[0]
        self.add(path, build_sga(version, name, members))


def screens_tree(names, origin, folder):
    return {folder + "/" + name: screen_script(name, origin) for name in names}


def build_installation():
    inst = Installation()
    inst.add("Bastion.module", crlf(MAIN_MODULE))
    inst.add("Frontier.module", crlf(PARENT_MODULE))
    inst.add("Armoury.module", crlf(REQUIRED_MODULE))

    # --- Bastion (main module) ---
    tree = screens_tree(SCREENS_LOOSE_ONLY + SCREENS_IN_BOTH, "Bastion\\Data (loose)",
                        "Art/UI/Screens")
    inst.add_source(tree, "Bastion\\Data\\", "bastion-data")
    inst.add_folder("Bastion/Data", tree)

    for locale in ("english", "french"):
        tree = {"art/ui/locale/language.txt": crlf("%s\n" % locale)}
        inst.add_source(tree, "Bastion\\Locale\\%s\\Data\\" % locale,
                        "bastion-locale-data-" + locale)
        inst.add_folder("Bastion/Locale/%s/Data" % locale, tree)
        tree = {"art/ui/locale/banner_title.txt": crlf("Bastion (%s)\n" % locale)}
        inst.add_source(tree, "Bastion\\Locale\\%s\\Bastion%s.sga" % (locale, locale.title()),
                        "bastion-%s-sga" % locale)
        inst.add_archive("Bastion/Locale/%s/Bastion%s.sga" % (locale, locale.title()), 4, tree)

    tree = {"art/ui/styles/bastion.styles": style_sheet("bastion.styles", "Bastion\\Common")}
    inst.add_source(tree, "Bastion\\Common\\", "bastion-common")
    inst.add_folder("Bastion/Common", tree)

    tree = {
        "art/ui/styles/colourtable.colours": colour_table("Bastion\\Archives\\BastionArt.sga",
                                                          (200, 40, 40)),
        "art/ui/styles/bastionmenus.styles": style_sheet("bastionmenus.styles",
                                                         "Bastion\\Archives\\BastionArt.sga"),
        "art/ui/textures/static.bin": noise("bastion static", 3000),
        "art/ui/textures/frontend/wall_pattern.bin": bytes(range(256)) * 24,
        "readme.txt": long_text("Bastion art", [
            "This archive holds the menu art of the Bastion campaign: style sheets, "
            "the colour table that overrides the engine's, and textures."] * 6),
    }
    inst.add_source(tree, "Bastion\\Archives\\BastionArt.sga", "bastion-art-sga")
    inst.add_archive("Bastion/Archives/BastionArt.sga", 2, tree)

    tree = screens_tree(SCREENS_PATCH_FOLDER, "Bastion\\Patch (loose)", "Art/UI/Screens")
    inst.add_source(tree, "Bastion\\Patch\\", "bastion-patch")
    inst.add_folder("Bastion/Patch", tree)

    tree = screens_tree(SCREENS_PATCH_ARCHIVE, "Bastion\\Archives\\BastionPatch.sga",
                        "art/ui/screens")
    tree["patch.txt"] = crlf("Patch 1.1: fixes the reinforcement panel.\n")
    inst.add_source(tree, "Bastion\\Archives\\BastionPatch.sga", "bastion-patch-sga")
    inst.add_archive("Bastion/Archives/BastionPatch.sga", 4, tree)

    tree = screens_tree(SCREENS_IN_BOTH + SCREENS_ARCHIVE_ONLY,
                        "Bastion\\BastionScreens.sga", "art/ui/screens")
    tree["art/ui/screens/readme.txt"] = long_text("Bastion screens", [
        "Screens that are also present as loose files in Bastion\\Data are read from "
        "the loose copy: the module's data folders come before its archives."] * 5)
    tree["art/ui/textures/screens/background.bin"] = noise("bastion background", 5000)
    inst.add_source(tree, "Bastion\\BastionScreens.sga", "bastion-screens-sga")
    inst.add_archive("Bastion/BastionScreens.sga", 4, tree)

    # Named by the main module but unusable: cut off inside its header, so opening
    # it fails ("file is too small"); BastionVoices.sga is not written at all.
    inst.add("Bastion/BastionBroken.sga",
             build_sga(4, "BastionBroken", {"broken.txt": b"never read\r\n"})[:150])

    for locale, pick in (("english", 0), ("french", 1)):
        inst.add("Bastion/Locale/%s/bastion.ucs" % locale, build_ucs(bastion_strings(pick)))

    # --- Armoury (required module) ---
    tree = screens_tree(SCREENS_ARMOURY, "Armoury\\Armoury.sga", "art/ui/screens")
    tree["art/ui/styles/armoury.styles"] = style_sheet("armoury.styles", "Armoury\\Armoury.sga")
    inst.add_source(tree, "Armoury\\Armoury.sga", "armoury-sga")
    inst.add_archive("Armoury/Armoury.sga", 4, tree)

    # --- Frontier (parent module) ---
    tree = screens_tree(SCREENS_FRONTIER_FOLDER, "Frontier\\Data (loose)", "Art/UI/Screens")
    inst.add_source(tree, "Frontier\\Data\\", "frontier-data")
    inst.add_folder("Frontier/Data", tree)

    tree = screens_tree(SCREENS_FRONTIER_ARCHIVE, "Frontier\\Frontier.sga", "art/ui/screens")
    tree["art/ui/styles/colourtable.colours"] = colour_table("Frontier\\Frontier.sga",
                                                             (40, 160, 40))
    tree["art/ui/styles/frontier.styles"] = style_sheet("frontier.styles",
                                                        "Frontier\\Frontier.sga")
    inst.add_source(tree, "Frontier\\Frontier.sga", "frontier-sga")
    inst.add_archive("Frontier/Frontier.sga", 2, tree)

    for locale, pick in (("english", 0), ("french", 1)):
        inst.add("Frontier/Locale/%s/frontier.ucs" % locale, build_ucs(frontier_strings(pick)))
    # German exists only here, so the intersection of the modules' locales drops it.
    inst.add("Frontier/Locale/german/frontier.ucs",
             build_ucs([(ident, text) for text, ident in GERMAN_STRINGS]))

    # --- Engine ---
    tree = {
        "art/ui/styles/colourtable.colours": colour_table("Engine\\Data", (40, 40, 200)),
        "art/ui/styles/uistyles.styles": style_sheet("uistyles.styles", "Engine\\Data"),
    }
    inst.add_source(tree, "Engine\\Data\\", "engine-data")
    inst.add_folder("Engine/Data", tree)

    tree = {
        "art/ui/styles/colourtable.colours": colour_table("Engine\\Engine.sga", (90, 90, 90)),
        "art/ui/styles/frontend.styles": style_sheet("frontend.styles", "Engine\\Engine.sga"),
        "art/ui/styles/uistyles.styles": style_sheet("uistyles.styles", "Engine\\Engine.sga"),
        "art/ui/textures/noise.bin": noise("engine noise", 4096),
        "engine.txt": long_text("Engine data", [
            "The engine archive comes last in every mod's file system: any module may "
            "override what it holds by a file of the same path."] * 8),
    }
    inst.add_source(tree, "Engine\\Engine.sga", "engine-sga")
    inst.add_archive("Engine/Engine.sga", 2, tree)

    for locale, pick, version in (("english", 0, 4), ("french", 1, 2)):
        inst.add("Engine/Locale/%s/engine.ucs" % locale, build_ucs(engine_strings(pick)))
        name = "Engine%s.sga" % locale.title()
        tree = {"art/ui/locale/language.txt": crlf("%s\n" % locale),
                "art/ui/locale/fonts.txt": crlf("Default fonts for %s texts.\n" % locale)}
        inst.add_source(tree, "Engine\\Locale\\%s\\%s" % (locale, name),
                        "engine-%s-sga" % locale)
        inst.add_archive("Engine/Locale/%s/%s" % (locale, name), version, tree)

    return inst.files


# ---------------------------------------------------------------------------
# Writing
# ---------------------------------------------------------------------------

def read_tree(root):
    """The files under `root` as {relative path: bytes}, or None when it is no folder."""
    if not os.path.isdir(root):
        return None
    found = {}
    for folder, subfolders, names in os.walk(root):
        subfolders.sort()
        for name in sorted(names):
            path = os.path.join(folder, name)
            relative = os.path.relpath(path, root).replace(os.sep, "/")
            with open(path, "rb") as handle:
                found[relative] = handle.read()
    return found


def write_tree(root, files):
    os.makedirs(root)
    folders = set()
    for relative in sorted(files):
        path = os.path.join(root, *relative.split("/"))
        parent = os.path.dirname(path)
        os.makedirs(parent, exist_ok=True)
        with open(path, "wb") as handle:
            handle.write(files[relative])
        os.utime(path, (FIXED_TIME, FIXED_TIME))
        while parent != root and parent not in folders:
            folders.add(parent)
            parent = os.path.dirname(parent)
    for folder in sorted(folders, reverse=True):
        os.utime(folder, (FIXED_TIME, FIXED_TIME))
    os.utime(root, (FIXED_TIME, FIXED_TIME))


class _Lock:
    """Serialises generators that share one output folder (two build trees at once)."""

    def __init__(self, path):
        self.path = path
        self.handle = None

    def __enter__(self):
        self.handle = open(self.path, "a+b")
        try:
            import fcntl
            fcntl.flock(self.handle.fileno(), fcntl.LOCK_EX)
        except ImportError:  # Windows hosts: no flock; builds there run one at a time
            pass
        return self

    def __exit__(self, *exc):
        self.handle.close()
        return False


def generate(outdir):
    """Makes `outdir` hold the sample. Returns True when it had to be (re)written."""
    files = build_installation()
    outdir = os.path.abspath(outdir)
    parent = os.path.dirname(outdir)
    base = os.path.basename(outdir)
    os.makedirs(parent, exist_ok=True)

    with _Lock(outdir + ".lock"):
        # Whatever temporary siblings exist now were left by an interrupted run.
        for name in os.listdir(parent):
            if name.startswith(base + ".tmp-") or name.startswith(base + ".old-"):
                shutil.rmtree(os.path.join(parent, name), ignore_errors=True)

        if read_tree(outdir) == files:
            return False

        temporary = "%s.tmp-%d" % (outdir, os.getpid())
        retired = "%s.old-%d" % (outdir, os.getpid())
        try:
            write_tree(temporary, files)
            if os.path.lexists(outdir):
                os.rename(outdir, retired)
            os.rename(temporary, outdir)
        finally:
            shutil.rmtree(temporary, ignore_errors=True)
            shutil.rmtree(retired, ignore_errors=True)
    return True


def main(argv):
    if len(argv) != 2 or argv[1].startswith("-"):
        sys.stderr.write("usage: make_sample.py OUTDIR\n")
        return 2
    written = generate(argv[1])
    print("sample installation %s: %s" % ("written" if written else "up to date", argv[1]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
