#!/usr/bin/env python3
"""Writes the sample game installation that the program, the tests and the
benchmarks use when no real installation is at hand.

    python3 tools/make_sample.py OUTDIR

The output is the same, byte for byte, on every run: archive timestamps are fixed,
every listing is sorted and the random-looking members come from a seeded hash chain.
The one input from outside is the TrueType fonts, copied from the machine where it has
them (FONT_FILES), so two machines may differ in those files alone. The textures are
drawn and block-compressed here.
The installation is built in memory, written into a temporary sibling folder and then
swapped in for OUTDIR, so a reader never sees half a sample. When OUTDIR already holds
exactly these bytes it is left alone (several build trees share one sample).

Names on disk keep the letter case in which module files and the program spell them:
the native build reads them on a case-sensitive file system.

Only the Python standard library is used. tools/README.md describes the contents.
"""

import hashlib
import math
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
# Screens, style sheets and the colour table
# ---------------------------------------------------------------------------
#
# The game runs these as Lua 5.2 data scripts in a state without the base library,
# so they are plain table constructors. They are built here as dicts (keys in the
# order they are written) and lists, and written out by lua_expr.

TEXTURES = "art/ui/textures/"

WIDGET_KEYS = (
    "type", "name", "style", "position", "size", "visible", "enabled", "buttonType",
    "wantAlternate", "text", "tooltip_text", "tooltip_name", "customProperties", "range",
    "stepSize", "maxItems", "Presentation", "Progress", "ListBox", "Label", "ArrowButton",
    "ItemsGroup", "ItemTemplate", "ScrollBar", "ButtonDecrement", "ButtonTrack",
    "ButtonIncrement", "Children",
)
STYLE_KEYS = ("name",) + WIDGET_KEYS
ITEM_KEYS = (
    "type", "id", "states", "position", "size", "texture", "flipHorizontal", "flipVertical",
    "colour", "textColourTop", "textColourBottom", "fontname", "multiline", "dropShadow",
    "horzAlign", "vertAlign", "rectangleType", "p1", "p2", "swf", "alpha",
)

# Plain widgets are only ever idle or hovered: art meant to stay must list both.
IDLE = ("Normal", "Hover")
PRESSABLE = ("Normal", "Hover", "Active")
BUTTON = PRESSABLE + ("Disabled",)
CHECKED = ("Checked", "CheckedHover", "CheckedActive")


def _lua_string(text):
    plain = text.replace("\n", "")
    if not (plain.isascii() and plain.isprintable()):
        raise ValueError("screen texts are ASCII (localised ones are $ids): %r" % text)
    return "\"%s\"" % text.replace("\\", "\\\\").replace("\"", "\\\"").replace("\n", "\\n")


def _lua_scalar(value):
    if isinstance(value, bool):
        return "true" if value else "false"
    if isinstance(value, int):
        return "%d" % value
    if isinstance(value, float):
        text = ("%.4f" % value).rstrip("0").rstrip(".")
        return "0" if text == "-0" else text
    if isinstance(value, str):
        return _lua_string(value)
    return None


def _values(table):
    return table.values() if isinstance(table, dict) else table


def _is_flat(table):
    """True when the table holds only scalars and tables of scalars."""
    return all(_lua_scalar(v) is not None or
               (isinstance(v, (dict, list, tuple)) and
                all(_lua_scalar(w) is not None for w in _values(v)))
               for v in _values(table))


def lua_expr(value, indent=0, width=120, pack=False):
    """`value` as a Lua expression. Small flat tables stay on one line; with `pack`,
    the short fields of a larger table share lines (the stress screen stays smaller)."""
    scalar = _lua_scalar(value)
    if scalar is not None:
        return scalar
    if isinstance(value, dict):
        entries = [(key + " = ", item) for key, item in value.items()]
    elif isinstance(value, (list, tuple)):
        entries = [("", item) for item in value]
    else:
        raise TypeError("no Lua form for %r" % (value,))
    if not entries:
        return "{ }"
    parts = [key + lua_expr(item, indent + 1, width, pack) for key, item in entries]
    named = isinstance(value, dict) and "name" in value  # widgets and styles: one field a line
    if not named and _is_flat(value):
        inline = "{ " + ", ".join(parts) + " }"
        if 4 * indent + len(inline) <= width:
            return inline
    pad = "\t" * (indent + 1)
    lines, current = [], ""
    for part in parts:
        if pack and "\n" not in part and current and \
                4 * (indent + 1) + len(current) + len(part) + 3 <= width:
            current += ", " + part
            continue
        if current:
            lines.append(current)
        current = part
        if "\n" in part or not pack:
            lines.append(current)
            current = ""
    if current:
        lines.append(current)
    return "{\n" + "".join(pad + line + ",\n" for line in lines) + "\t" * indent + "}"


def _ordered(fields, order, what):
    unknown = [key for key in fields if key not in order]
    if unknown:
        raise ValueError("unknown %s keys %s" % (what, unknown))
    return {key: fields[key] for key in order if key in fields}


def widget(kind, name, **fields):
    fields.update(type=kind, name=name)
    return _ordered(fields, WIDGET_KEYS, "widget")


def style(name, kind, **fields):
    """A style for widgets of type `kind`."""
    fields.update(name=name, type=kind + "Style")
    return _ordered(fields, STYLE_KEYS, "style")


def item(kind, states, **fields):
    fields.update(type=kind, states=list(states))
    return _ordered(fields, ITEM_KEYS, "item")


def art(*items):
    return {"Art": list(items)}


def graphic(texture, states=IDLE, **fields):
    return item("Graphic", states, texture=TEXTURES + texture, **fields)


def label(states=IDLE, font="gillsans_16", top="menu_text", bottom=None, **fields):
    return item("Text", states, textColourTop=top, textColourBottom=bottom or top,
                fontname=font, **fields)


def rect(colour, states=IDLE, border=False, **fields):
    if border:
        fields["rectangleType"] = "Border"
    return item("Rectangle", states, colour=colour, **fields)


def line(colour, p1, p2, states=IDLE, **fields):
    return item("Line", states, colour=colour, p1=p1, p2=p2, **fields)


def movie(swf, alpha=1.0, states=IDLE, **fields):
    return item("Swf", states, swf=swf, alpha=alpha, **fields)


_STRING_IDS = {}


def ref(key):
    """A localisation reference to a string of the sample's english tables, by its
    identifier or its exact text; anything else is a mistake in the sample."""
    if not _STRING_IDS:
        for ident, text in engine_strings(0) + frontier_strings(0) + bastion_strings(0):
            _STRING_IDS.setdefault(text, ident)
            _STRING_IDS.setdefault(ident, ident)
    return "$%d" % _STRING_IDS[key]


# --- the colour table --------------------------------------------------------------

COLOURS = [
    ("white", (255, 255, 255, 255)),
    ("black", (0, 0, 0, 255)),
    ("menu_text", (230, 220, 190, 255)),
    ("menu_text_disabled", (120, 115, 100, 255)),
    ("accent", None),  # each copy of the table has its own
    ("menu_text_hover", (255, 240, 200, 255)),
    ("menu_text_active", (255, 200, 90, 255)),
    ("title_gold", (240, 205, 120, 255)),
    ("title_gold_dark", (170, 120, 50, 255)),
    ("body_text", (205, 205, 195, 255)),
    ("panel_fill", (18, 20, 24, 215)),
    ("panel_border", (150, 130, 90, 255)),
    ("separator", (150, 130, 90, 140)),
    ("dialog_dim", (0, 0, 0, 150)),
    ("tooltip_fill", (12, 12, 16, 235)),
    ("tooltip_border", (200, 180, 120, 255)),
    ("list_fill", (0, 0, 0, 120)),
    ("list_row", (255, 255, 255, 16)),
    ("list_highlight", (200, 170, 90, 80)),
    ("edit_fill", (0, 0, 0, 190)),
    ("progress_fill", (200, 150, 40, 255)),
    ("progress_back", (40, 36, 30, 220)),
    ("ready", (90, 200, 90, 255)),
    ("not_ready", (200, 70, 60, 255)),
    ("chat_text", (210, 210, 200, 255)),
    ("chat_system", (240, 205, 120, 255)),
    ("drop_shadow", (0, 0, 0, 110)),
    # Three components on purpose: named, a colour without alpha is fully transparent,
    # so the small buttons' hover glow never shows.
    ("button_glow", (255, 200, 80)),
]


def colour_table(origin, accent):
    entries = []
    for key, value in COLOURS:
        value = accent + (255,) if value is None else value
        entries.append("\t{ key = %s, value = %s },\n" % (_lua_string(key), lua_expr(value)))
    return crlf("-- Colour table of the sample installation, read from %s.\n"
                "-- Every source that holds this file has its own accent colour, so the\n"
                "-- copy that wins in the union can be told from the others.\n"
                "ColourTable = {\n%s}\n" % (origin, "".join(entries)))


# --- document units ------------------------------------------------------------------
#
# The game places everything in document units, the whole screen being the unit square.
# A widget's or an art item's position is an offset from its parent widget's origin (a
# translation only: nothing is scaled by the parent's size), its size is in the same
# units, and a missing size is 1 x 1, the whole screen. A line's p1 and p2 are points in
# its item's own coordinates, in the same units again.
#
# Most layouts below are written relative to the parent instead, which is easier to
# read and to change, and converted when the Lua is written: positions and sizes are
# scaled by the parent widget's size (its own, else its style's), art by its widget's.
# A Doc value is already in document units and is kept as it is. Where a widget or an
# item had no size (meaning "fill the parent") the parent's size is written out, since
# the game would make it the whole screen. A widget with a style and no size has the
# style's size, and style sizes are document units. A style's art and parts are written
# relative to the style's size; a widget that takes them is drawn with them at that
# size, so a widget of another size brings its own (see _combo, scroll_bar, _bar_parts).

class Doc(tuple):
    """A point or size already in document units: the conversion keeps it."""

    def __new__(cls, x, y):
        return super().__new__(cls, (x, y))


WHOLE = (1, 1)
PART_KEYS = ("Progress", "ListBox", "Label", "ArrowButton", "ItemsGroup", "ItemTemplate",
             "ScrollBar", "ButtonDecrement", "ButtonTrack", "ButtonIncrement")
# Pixels are square on the 4:3 screens the art is drawn for: a document height of h is
# as many pixels as a width of h * 3 / 4.
SQUARE = 0.75


def _in_document(value, box):
    if isinstance(value, Doc):
        return [value[0], value[1]]
    return [value[0] * box[0], value[1] * box[1]]


def _item_in_document(entry, box):
    out = dict(entry)
    for key in ("position", "p1", "p2"):
        if key in entry:
            out[key] = _in_document(entry[key], box)
    if entry["type"] != "Line":
        size = _in_document(entry.get("size", WHOLE), box)
        if size != [1, 1]:
            out["size"] = size
    return _ordered(out, ITEM_KEYS, "item")


def _style_key(reference):
    return reference[0].lower(), reference[1].lower()


def _contents_in_document(table, out, box, sizes):
    """Art, parts and children of a widget or style whose size is `box`."""
    if "Presentation" in table:
        out["Presentation"] = {"Art": [_item_in_document(entry, box)
                                       for entry in table["Presentation"]["Art"]]}
    for key in PART_KEYS:
        if key in table:
            out[key] = _widget_in_document(table[key], box, sizes)
    if "Children" in table:
        out["Children"] = [_widget_in_document(child, box, sizes)
                           for child in table["Children"]]


def _widget_in_document(table, parent, sizes):
    """A widget laid out relative to its parent, whose size is `parent` (document
    units), in document units. sizes: (sheet, style) in lower case -> the style's size."""
    out = dict(table)
    style_size = sizes.get(_style_key(table["style"])) if "style" in table else None
    if "size" in table:
        box = out["size"] = _in_document(table["size"], parent)
    elif style_size is not None:
        box = list(style_size)
    else:
        box = list(parent)
        if box != [1, 1]:
            out["size"] = box  # filled its parent; would be the whole screen
    if "position" in table:
        out["position"] = _in_document(table["position"], parent)
    _contents_in_document(table, out, box, sizes)
    return _ordered(out, WIDGET_KEYS, "widget")


def _style_in_document(table, sizes):
    out = dict(table)
    _contents_in_document(table, out, table["size"], sizes)
    return _ordered(out, STYLE_KEYS, "style")


_STYLE_SIZES = {}


def style_sizes():
    """(sheet, style) in lower case -> size, for the winning sheets."""
    if not _STYLE_SIZES:
        for sheet, styles in (("uistyles", ui_styles(older=False)),
                              ("frontend", frontend_styles())):
            for entry in styles:
                _STYLE_SIZES[(sheet, entry["name"].lower())] = tuple(entry["size"])
    return _STYLE_SIZES


def screen_in_document(screen):
    return {key: _widget_in_document(root, WHOLE, style_sizes())
            for key, root in screen.items()}


# --- style sheets --------------------------------------------------------------------

UI = "UIStyles"
SCROLL_WIDTH = 0.018  # every vertical scroll bar
LIST_HEIGHT = 0.4     # the VerticalScrollBar style's length, so lists this tall take it
LIST_ROW = 0.036


def _button_art(folder, stem, font, box, glow=False):
    """Art of a text button of size `box`: one picture per state, the text coloured by
    state and pushed down and right while pressed."""
    w, h = box
    items = [
        graphic("%s/%s_normal" % (folder, stem), ["Normal"]),
        graphic("%s/%s_hover" % (folder, stem), ["Hover"]),
        graphic("%s/%s_pressed" % (folder, stem), ["Active"]),
        graphic("%s/%s_disabled" % (folder, stem), ["Disabled"], colour=[255, 255, 255, 160]),
    ]
    if glow:
        items.append(graphic("%s/%s_glow" % (folder, stem), ["Hover"], colour="button_glow"))
    items += [
        label(["Normal"], font, horzAlign="Centre", multiline=False),
        label(["Hover"], font, "menu_text_hover", horzAlign="Centre", multiline=False),
        label(["Active"], font, "menu_text_active", horzAlign="Centre", multiline=False,
              position=Doc(0.002, 0.003), size=Doc(w - 0.002, h - 0.003)),
        label(["Disabled"], font, "menu_text_disabled", horzAlign="Centre", multiline=False),
    ]
    return art(*items)


def _toggle_art(stem, box):
    """Check boxes and radio buttons of size `box`: a square box on the left in all
    eight states, then the text."""
    w, h = box
    side = 0.8 * h
    square = dict(position=Doc(0, 0.1 * h), size=Doc(side * SQUARE, side))
    text = dict(position=Doc(side * SQUARE + 0.008, 0), size=Doc(w - side * SQUARE - 0.008, h),
                multiline=False)
    return art(
        graphic("common/%s_off.tga" % stem, ["Normal"], **square),
        graphic("common/%s_off_hover.tga" % stem, ["Hover"], **square),
        graphic("common/%s_off_pressed.tga" % stem, ["Active"], **square),
        graphic("common/%s_off_disabled.tga" % stem, ["Disabled"], **square),
        graphic("common/%s_on.tga" % stem, ["Checked"], **square),
        graphic("common/%s_on_hover.tga" % stem, ["CheckedHover"], **square),
        graphic("common/%s_on_pressed.tga" % stem, ["CheckedActive"], **square),
        graphic("common/%s_on_disabled.tga" % stem, ["CheckedDisabled"], **square),
        label(PRESSABLE + CHECKED, **text),
        label(["Disabled", "CheckedDisabled"], top="menu_text_disabled", **text),
    )


def _ready_box_art():
    """A bare tick box that fills its widget: the lobby's ready column."""
    return art(
        graphic("common/ready_off", BUTTON),
        graphic("common/ready_on", CHECKED + ("CheckedDisabled",)),
        rect("menu_text_hover", ["Hover", "CheckedHover"], border=True),
        rect("not_ready", ["Normal", "Disabled"], border=True),
        rect("ready", ["Checked", "CheckedDisabled"], border=True),
    )


def _frame_art(box):
    """A dialog's frame of size `box`: a drop shadow (outside, on purpose), the back,
    four corners that stay square whatever the dialog's size, and a border."""
    w, h = box
    ch = 0.045
    cw = ch * SQUARE
    corner = "common/dialog_corner.tga"
    return art(
        rect("drop_shadow", position=Doc(0.008, 0.011), size=Doc(w, h)),
        graphic("common/dialog_back", colour=[255, 255, 255, 230]),
        graphic(corner, size=Doc(cw, ch)),
        graphic(corner, position=Doc(w - cw, 0), size=Doc(cw, ch), flipHorizontal=True),
        graphic(corner, position=Doc(0, h - ch), size=Doc(cw, ch), flipVertical=True),
        graphic(corner, position=Doc(w - cw, h - ch), size=Doc(cw, ch),
                flipHorizontal=True, flipVertical=True),
        rect("panel_border", border=True))


def _panel_art():
    return art(rect("panel_fill"), rect("panel_border", border=True))


def _scroll_button(name, position, size, flip):
    fields = {"flipVertical": True} if flip else {}
    return widget("Button", name, position=position, size=size, Presentation=art(
        graphic("common/scroll_arrow", ["Normal", "Disabled"], **fields),
        graphic("common/scroll_arrow_hover", ["Hover"], **fields),
        graphic("common/scroll_arrow_pressed", ["Active"], **fields)))


def _vertical_scroll_parts(height):
    """Track, square arrows and thumb of a vertical scroll bar `height` long."""
    side = SCROLL_WIDTH / SQUARE
    return dict(
        Presentation=art(graphic("common/scroll_track")),
        ButtonDecrement=_scroll_button("ScrollUp", Doc(0, 0), Doc(SCROLL_WIDTH, side), False),
        ButtonTrack=widget("Button", "ScrollThumb", position=Doc(0, side),
                           size=Doc(SCROLL_WIDTH, 0.2 * height), Presentation=art(
                               graphic("common/scroll_thumb", ["Normal", "Disabled"]),
                               graphic("common/scroll_thumb_hover", ["Hover", "Active"]))),
        ButtonIncrement=_scroll_button("ScrollDown", Doc(0, height - side),
                                       Doc(SCROLL_WIDTH, side), True))


def scroll_bar(name, position, height=LIST_HEIGHT):
    """A vertical scroll bar of the VerticalScrollBar style: at the style's length it
    takes everything from the style, at another it brings its own art and buttons."""
    if height == LIST_HEIGHT:
        return widget("ScrollBar", name, style=[UI, "VerticalScrollBar"], position=position)
    return widget("ScrollBar", name, style=[UI, "VerticalScrollBar"], position=position,
                  size=Doc(SCROLL_WIDTH, height), **_vertical_scroll_parts(height))


def _list_parts(item_font, box):
    """Items, template and scroll bar of a list of size `box`."""
    w, h = box
    inner = w - SCROLL_WIDTH
    return dict(
        ItemsGroup=widget("Group", "Items", size=Doc(inner, h)),
        ItemTemplate=widget("TextLabel", "ItemTemplate", visible=False,
                            size=Doc(inner, LIST_ROW), Presentation=art(
                                rect("list_highlight", ["Hover"]),
                                label(IDLE, item_font, "body_text", multiline=False,
                                      position=[0.02, 0], size=[0.96, 1]))),
        ScrollBar=scroll_bar("ScrollBar", Doc(inner, 0), h),
    )


def _drop_arrow(box):
    """A drop-down's arrow button, square, at the right end of a drop-down of size `box`."""
    w, h = box
    side = 0.8 * h
    return widget("Button", "Arrow", position=Doc(w - (side + 0.1 * h) * SQUARE, 0.1 * h),
                  size=Doc(side * SQUARE, side), Presentation=art(
                      graphic("common/dropdown_arrow", ["Normal"]),
                      graphic("common/dropdown_arrow_hover", ["Hover"]),
                      graphic("common/dropdown_arrow_pressed", ["Active"]),
                      graphic("common/dropdown_arrow", ["Disabled"],
                              colour=[255, 255, 255, 100])))


def _drop_label(name, text, box):
    """The text of a drop-down of size `box`, left of its arrow."""
    w, h = box
    left = 0.04 * w
    width = w - left - (0.9 * h + 0.1 * h) * SQUARE - 0.004
    return text_label(name, text, Doc(left, 0), Doc(width, h), font="gillsans_11",
                      multiline=False)


def _bar_parts():
    """Back, frame and bar of a meter, relative to the meter."""
    return dict(Presentation=art(rect("progress_back"), rect("panel_border", border=True)),
                Progress=widget("ArtLabel", "Progress", position=[0.005, 0.1],
                                size=[0.99, 0.8], Presentation=art(
                                    graphic("common/progress_fill", colour="progress_fill"))))


ROW = Doc(0.582, 0.044)  # a row of the player list, whose scroll bar takes the rest


def _ready_box(name, **fields):
    side = 0.8 * ROW[1]
    return widget("CheckButton", name, position=[0.84, 0.1], size=Doc(side * SQUARE, side),
                  Presentation=_ready_box_art(), **fields)


def ui_styles(older):
    """The engine's general sheet (UIStyles). The copy in Engine.sga is an older
    revision, shadowed by the one in Engine\\Data, without the styles added since."""
    frame = art(rect("list_fill"), rect("panel_border", border=True))
    dialog = (0.44, 0.34)
    drop_down = (0.24, 0.04)
    styles = [
        style("MenuButton", "Button", size=[0.26, 0.055],
              Presentation=_button_art("common", "button", "gillsans_16", (0.26, 0.055))),
        style("SmallButton", "Button", size=[0.14, 0.045],
              Presentation=_button_art("common", "small_button", "gillsans_11", (0.14, 0.045),
                                       glow=True)),
        style("CheckBox", "CheckButton", size=[0.3, 0.04],
              Presentation=_toggle_art("checkbox", (0.3, 0.04))),
        style("RadioButton", "RadioButton", size=[0.12, 0.04],
              Presentation=_toggle_art("radio", (0.12, 0.04))),
        style("Title", "TextLabel", size=[0.6, 0.06], Presentation=art(
            label(font="engravers_24", top="title_gold", bottom="title_gold_dark",
                  dropShadow=True, multiline=False))),
        style("Body", "TextLabel", size=[0.36, 0.1], Presentation=art(
            label(font="gillsans_11", top="body_text", vertAlign="Top"))),
        style("Tooltip", "TextLabel", size=[0.3, 0.06], Presentation=art(
            rect("tooltip_fill"), rect("tooltip_border", border=True),
            label(font="gillsans_11", top="white", position=[0.03, 0.05], size=[0.94, 0.9]))),
        # Sized for the message dialogs; larger frames bring their own art.
        style("DialogFrame", "ArtLabel", size=list(dialog), Presentation=_frame_art(dialog)),
        style("EditBox", "EditText", size=[0.38, 0.045], Presentation=art(
            rect("edit_fill"), rect("panel_border", border=True),
            rect("menu_text_hover", ["Hover"], border=True),
            label(font="gillsans_11", top="white", multiline=False,
                  position=[0.02, 0], size=[0.96, 1]))),
        style("VerticalScrollBar", "ScrollBar", size=[SCROLL_WIDTH, LIST_HEIGHT], range=[0, 1],
              **_vertical_scroll_parts(LIST_HEIGHT)),
        style("ListBox", "TextListBox", size=[0.3, LIST_HEIGHT], Presentation=frame,
              **_list_parts("gillsans_11", (0.3, LIST_HEIGHT))),
        style("DropDownList", "TextListBox", size=[0.24, 0.2], Presentation=art(
            rect("panel_fill"), rect("panel_border", border=True)),
            **_list_parts("gillsans_11", (0.24, 0.2))),
        style("DropDown", "ComboBox", size=list(drop_down), Presentation=art(
            rect("edit_fill"), rect("panel_border", border=True)),
            # Opens below the drop-down.
            ListBox=widget("TextListBox", "List", style=[UI, "DropDownList"],
                           visible=False, position=[0, 1]),
            Label=_drop_label("Selection", "Random", drop_down),
            ArrowButton=_drop_arrow(drop_down)),
        style("LoadingBar", "ProgressBar", size=[0.6, 0.025], range=[0, 100], stepSize=1,
              **_bar_parts()),
    ]
    if not older:
        styles += [
            style("VolumeSlider", "ProgressBar", size=[0.3, 0.03], range=[0, 100], stepSize=5,
                  Presentation=art(graphic("common/slider_back"),
                                   line("separator", [0, 0.5], [1, 0.5])),
                  Progress=widget("ArtLabel", "Level", size=[1, 1], Presentation=art(
                      graphic("common/slider_fill", colour="accent")))),
            style("PlayerList", "CustomListBox", size=[ROW[0] + SCROLL_WIDTH, LIST_HEIGHT],
                  maxItems=8, Presentation=frame,
                  ItemsGroup=widget("Group", "Rows", size=Doc(ROW[0], LIST_HEIGHT)),
                  ItemTemplate=widget("CustomListBoxItem", "RowTemplate", visible=False,
                                      size=ROW, Presentation=art(rect("list_row")),
                                      Children=[
                                          widget("TextLabel", "PlayerName", position=[0.02, 0],
                                                 size=[0.34, 1],
                                                 Presentation=art(label(multiline=False))),
                                          _ready_box("Ready"),
                                      ]),
                  ScrollBar=scroll_bar("ScrollBar", Doc(ROW[0], 0))),
        ]
    return styles


def frontend_styles():
    """The front end's own sheet (Frontend). MenuButton and Title are also in UIStyles:
    a widget names the sheet, so both stay reachable."""
    return [
        style("MenuButton", "Button", size=[0.3, 0.06],
              Presentation=_button_art("frontend", "menu_plate", "gillsans_bold_16",
                                       (0.3, 0.06))),
        style("Title", "TextLabel", size=[0.4, 0.07], Presentation=art(
            label(font="engravers_32", top="title_gold", bottom="title_gold_dark",
                  dropShadow=True, multiline=False, vertAlign="Bottom"))),
        # Numbered so that the front end's code can swap the wall picture per campaign.
        style("Background", "ArtLabel", size=[1, 1], Presentation=art(
            graphic("frontend/background_wall", id=1, size=[1, 1]),
            graphic("frontend/vignette.tga", id=2, colour=[255, 255, 255, 180]),
            line("accent", [0, 0.995], [1, 0.995]))),
        style("TabButton", "RadioButton", size=[0.16, 0.05], Presentation=art(
            graphic("frontend/tab", ["Normal"]),
            graphic("frontend/tab_hover", ["Hover", "CheckedHover"]),
            graphic("frontend/tab_pressed", ["Active", "CheckedActive"]),
            graphic("frontend/tab", ["Disabled", "CheckedDisabled"], colour=[255, 255, 255, 110]),
            graphic("frontend/tab_selected", ["Checked"]),
            label(["Normal", "Hover", "Active"], "gillsans_16", horzAlign="Centre"),
            label(CHECKED, "gillsans_bold_16", "title_gold", "title_gold_dark",
                  horzAlign="Centre"),
            label(["Disabled", "CheckedDisabled"], "gillsans_16", "menu_text_disabled",
                  horzAlign="Centre"))),
        style("LogoMovie", "Swf", size=[0.42, 0.2], Presentation=art(
            movie("frontend_logo.swf"))),
        style("NewsTicker", "Custom", size=[0.9, 0.035]),
    ]


def style_sheet(name, origin, styles=()):
    body = lua_expr({"Styles": [_style_in_document(entry, style_sizes()) for entry in styles]})
    return crlf("-- %s: style sheet of the sample installation (from %s).\n"
                "StyleSheet = %s\n" % (name, origin, body))


# --- screens -------------------------------------------------------------------------

def tooltip_layer(group, name, position):
    """Screen.TooltipWidgets: one label, of the Tooltip style's size, that hovered
    widgets fill with their tooltip."""
    return widget("Group", group, Children=[
        widget("TextLabel", name, style=[UI, "Tooltip"], position=position)])


def text_label(name, text, position, size, visible=True, **item_fields):
    fields = {} if visible else {"visible": False}
    return widget("TextLabel", name, position=position, size=size, text=text,
                  Presentation=art(label(**item_fields)), **fields)


def main_menu_screen():
    tip = "MainMenuTooltip"
    entries = [
        ("CampaignButton", "Campaign", 300, True),
        ("ContinueButton", "Continue", 301, False),  # no saved game yet
        ("SkirmishButton", "Skirmish", 302, True),
        ("MultiplayerButton", "Multiplayer", 303, True),
        ("OptionsButton", "Options", 304, True),
        ("CreditsButton", "Credits", 305, True),
        ("QuitButton", "Quit to desktop", 306, True),
    ]
    buttons = []
    for index, (name, text, tooltip, enabled) in enumerate(entries):
        fields = {} if enabled else {"enabled": False}
        buttons.append(widget("Button", name, style=["Frontend", "MenuButton"],
                              position=[0.07, 0.41 + 0.068 * index], buttonType="ClickOnRelease",
                              text=ref(text), tooltip_text=ref(tooltip), tooltip_name=tip,
                              **fields))
    notice = (0.4, 0.24)
    return {
        "TooltipWidgets": tooltip_layer("MainMenuTooltips", tip, [0.55, 0.83]),
        "Widgets": widget("Group", "MainMenu", Children=[
            widget("ArtLabel", "Background", style=["Frontend", "Background"]),
            widget("Swf", "Logo", style=["Frontend", "LogoMovie"], position=[0.05, 0.04]),
            widget("ArtLabel", "MenuPanel", position=[0.05, 0.29], size=[0.34, 0.61],
                   Presentation=art(rect("panel_fill"), rect("panel_border", border=True),
                                    line("accent", [0.06, 0.15], [0.94, 0.15]),
                                    graphic(MISSING_TEXTURE, position=[0.82, 0.025],
                                            size=Doc(0.045, 0.06)))),
            widget("TextLabel", "MenuTitle", style=["Frontend", "Title"], position=[0.07, 0.3],
                   text=ref("Main menu")),
            widget("Group", "MenuButtons", Children=buttons),
            text_label("ProfileCaption", ref("Profile"), [0.56, 0.05], [0.2, 0.04],
                       font="gillsans_11", top="menu_text_disabled", horzAlign="Right",
                       multiline=False),
            text_label("ProfileName", "Commander Vale", [0.77, 0.05], [0.2, 0.04],
                       font="gillsans_bold_16", top="title_gold", bottom="title_gold_dark",
                       dropShadow=True, multiline=False),
            # The sheet and style are spelt as the sheet does not spell them: lookups
            # ignore case.
            widget("Button", "NewProfileButton", style=["uistyles", "smallbutton"],
                   position=[0.83, 0.1], text=ref("New profile"), tooltip_text=ref(309),
                   tooltip_name=tip),
            widget("Group", "PatchNotice", position=[0.55, 0.52], size=list(notice),
                   visible=False, Children=[
                       # Larger than the style's frame: art of its own size.
                       widget("ArtLabel", "PatchFrame", style=[UI, "DialogFrame"], size=WHOLE,
                              Presentation=_frame_art(notice)),
                       widget("TextLabel", "PatchText", style=[UI, "Body"],
                              position=[0.06, 0.1], text=ref(327)),
                       widget("Button", "DownloadPatchButton", style=[UI, "SmallButton"],
                              position=[0.325, 0.7], text=ref("Download patch")),
                   ]),
            widget("Custom", "NewsTicker", style=["Frontend", "NewsTicker"],
                   position=[0.05, 0.915], customProperties="feed=frontend_news;speed=40;loop=1"),
            # A face the font folder lacks: drawn in the system's font.
            text_label("VersionLabel", "Bastion 1.1", [0.7, 0.96], [0.28, 0.03],
                       font="copperplate_11", top="menu_text_disabled", horzAlign="Right",
                       multiline=False),
        ]),
    }


def _combo(name, value, position, size=None, **fields):
    """A drop-down showing `value`. At the style's size it takes its frame, arrow and list
    from the style; at another size (a Doc) it brings its own frame and arrow."""
    own = {}
    box = style_sizes()[("uistyles", "dropdown")]
    if size is not None:
        box = size
        own = dict(size=size, Presentation=art(rect("edit_fill"),
                                               rect("panel_border", border=True)),
                   ArrowButton=_drop_arrow(size))
    return widget("ComboBox", name, style=[UI, "DropDown"], position=position,
                  Label=_drop_label(name + "Value", value, box), **own, **fields)


def _choice_row(prefix, caption, y, labels, tooltip, tip):
    """A caption and a run of radio buttons: the caption of the next row ends the run,
    so each row is a group of its own."""
    row = [text_label(prefix + "Label", ref(caption), [0, y], [0.4, 0.08], multiline=False)]
    for index, text in enumerate(labels):
        row.append(widget("RadioButton", "%s%s" % (prefix, text), style=[UI, "RadioButton"],
                          position=[0.45 + 0.18 * index, y], text=ref(text),
                          tooltip_text=ref(tooltip), tooltip_name=tip))
    return row


def _list_frame(name, position, size, items_name, rows, **fields):
    """A text list of the ListBox style at a size of its own (a Doc): frame and scroll
    bar of its own, the template from the style."""
    inner = size[0] - SCROLL_WIDTH
    return widget("TextListBox", name, style=[UI, "ListBox"], position=position, size=size,
                  Presentation=art(rect("list_fill"), rect("panel_border", border=True)),
                  ItemsGroup=widget("Group", items_name, size=Doc(inner, size[1]), Children=rows),
                  ScrollBar=scroll_bar(name + "Scroll", Doc(inner, 0), size[1]), **fields)


def options_screen():
    tip = "OptionsTooltip"
    dialog = (0.76, 0.84)
    page = dict(position=[0.04, 0.2], size=[0.92, 0.64])
    graphics = [
        text_label("ResolutionLabel", ref("Screen resolution"), [0, 0], [0.4, 0.08],
                   multiline=False),
        # Arrow and list from the style; the label is the screen's own.
        _combo("ResolutionChoice", "1024 x 768", [0.45, 0.01]),
    ]
    graphics += _choice_row("Texture", "Texture detail", 0.15, ["Low", "Medium", "High"], 313, tip)
    graphics += _choice_row("Shadows", "Shadows", 0.3, ["Low", "Medium", "High"], 314, tip)
    graphics += [
        widget("CheckButton", "SubtitlesCheck", style=[UI, "CheckBox"],
               position=[0, 0.47], text=ref("Subtitles"),
               tooltip_text=ref(312), tooltip_name=tip),
        widget("CheckButton", "VSyncCheck", style=[UI, "CheckBox"],
               position=[0, 0.57], enabled=False, text="Vertical sync"),
        text_label("GameSpeedLabel", ref("Game speed"), [0, 0.72], [0.4, 0.08], multiline=False),
        _combo("GameSpeedChoice", ref("Normal"), [0.45, 0.73], tooltip_text=ref(311),
               tooltip_name=tip),
    ]
    sound = []
    for index, (name, text) in enumerate([("Music", "Music volume"),
                                          ("Effects", "Effects volume"),
                                          ("Speech", "Speech volume")]):
        y = 0.05 + 0.15 * index
        sound.append(text_label(name + "Label", ref(text), [0, y], [0.4, 0.08], multiline=False))
        fields = {"range": [0, 10], "stepSize": 1} if name == "Speech" else {}
        sound.append(widget("ProgressBar", name + "Volume", style=[UI, "VolumeSlider"],
                            position=[0.45, y + 0.012], **fields))
    bindings = [("Attack move", "A"), ("Hold position", "H"), ("Retreat", "R"),
                ("Reinforce", "E"), ("Select all army", "Ctrl+A"), ("Pause", "P")]
    rows = [text_label("Binding%d" % (index + 1), "%s  (%s)" % binding,
                       [0.02, 0.1 * index], [0.96, 0.1], font="gillsans_11", top="body_text",
                       multiline=False)
            for index, binding in enumerate(bindings)]
    # A scroll bar used as a slider, with parts of its own (no style): square arrows at
    # the ends, a thumb a little over a third of the way.
    slider = Doc(0.35, 0.032)
    arrow_size = Doc(slider[1] * SQUARE, slider[1])
    arrow = dict(Presentation=art(graphic("common/slider_arrow", BUTTON),
                                  graphic("common/slider_arrow_hover", ["Hover", "Active"])))
    controls = [
        _list_frame("KeyBindings", [0, 0], Doc(0.66, LIST_HEIGHT), "Items", rows),
        text_label("ScrollSpeedLabel", "Scroll speed", [0, 0.78], [0.4, 0.08], multiline=False),
        widget("ScrollBar", "ScrollSpeed", position=[0.45, 0.79], size=slider,
               range=[1, 10], Presentation=art(graphic("common/slider_back"),
                                               rect("panel_border", border=True)),
               ButtonDecrement=widget("Button", "Slower", size=arrow_size, **arrow),
               ButtonTrack=widget("Button", "Thumb", position=[0.4, 0],
                                  size=Doc(0.6 * slider[1] * SQUARE, slider[1]),
                                  Presentation=art(graphic("common/slider_thumb", BUTTON))),
               ButtonIncrement=widget("Button", "Faster",
                                      position=Doc(slider[0] - arrow_size[0], 0),
                                      size=arrow_size, Presentation=art(
                                          graphic("common/slider_arrow", BUTTON,
                                                  flipHorizontal=True),
                                          graphic("common/slider_arrow_hover",
                                                  ["Hover", "Active"], flipHorizontal=True)))),
    ]
    # Tabs of the style's size side by side, under the title.
    tabs = [widget("RadioButton", name + "Tab", style=["Frontend", "TabButton"],
                   position=Doc(0.03 + 0.17 * index, 0.085), buttonType="ClickOnPress",
                   text=ref(text))
            for index, (name, text) in enumerate([("Graphics", "Graphics"), ("Sound", "Sound"),
                                                  ("Controls", "Controls")])]
    # Of the style's size, right-aligned along the bottom, clear of the frame's corner.
    small = style_sizes()[("uistyles", "smallbutton")][0]
    buttons = [widget("Button", name, style=[UI, "SmallButton"],
                      position=Doc(dialog[0] - 0.035 - small - (small + 0.015) * (2 - index),
                                   0.772),
                      text=ref(text), **fields)
               for index, (name, text, fields) in enumerate([
                   ("AcceptButton", "Accept", {}),
                   ("ApplyButton", "Apply", {"enabled": False}),
                   ("CancelButton", "Cancel", {})])]
    return {
        "TooltipWidgets": tooltip_layer("OptionsTooltips", tip, [0.12, 0.93]),
        "Widgets": widget("Group", "OptionsScreen", Children=[
            widget("ArtLabel", "Dim", Presentation=art(rect("dialog_dim"))),
            widget("Group", "OptionsDialog", position=[0.12, 0.08], size=list(dialog),
                   Children=[
                       # Larger than the style's frame: art of its own size.
                       widget("ArtLabel", "Frame", style=[UI, "DialogFrame"], size=WHOLE,
                              Presentation=_frame_art(dialog)),
                       widget("TextLabel", "Title", style=[UI, "Title"],
                              position=[0.04, 0.02], text=ref("Options")),
                   ] + tabs + [
                       widget("ArtLabel", "TabRule", position=[0.04, 0.16], size=[0.92, 0.005],
                              Presentation=art(line("separator", [0, 0.5], [1, 0.5]))),
                       widget("Group", "GraphicsPage", Children=graphics, **page),
                       widget("Group", "SoundPage", visible=False, Children=sound, **page),
                       widget("Group", "ControlsPage", visible=False, Children=controls, **page),
                   ] + buttons),
        ]),
    }


RACES = ["Northern Legion", "Free Companies", "Iron Covenant", "Random"]


def _player_row(index, player, race, team, ready, tip):
    n = index + 1
    others = {"enabled": False} if index else {}
    host = {} if index else {"visible": False}
    kick = 0.7 * ROW[1]
    return widget("CustomListBoxItem", "PlayerRow%d" % n, position=[0, 0.02 + 0.125 * index],
                  size=ROW, Presentation=art(rect("list_row"), rect("list_highlight", ["Hover"])),
                  Children=[
                      text_label("PlayerName%d" % n, player, [0.02, 0], [0.34, 1],
                                 multiline=False, top="ready" if ready else "menu_text"),
                      _combo("RaceChoice%d" % n, race, [0.38, 0.1],
                             Doc(0.28 * ROW[0], 0.8 * ROW[1])),
                      _combo("TeamChoice%d" % n, "%d" % team, [0.68, 0.1],
                             Doc(0.14 * ROW[0], 0.8 * ROW[1])),
                      # Only the local player's box can be ticked; the host cannot kick
                      # himself.
                      _ready_box("ReadyCheck%d" % n, **others),
                      widget("Button", "KickButton%d" % n, position=[0.92, 0.15],
                             size=Doc(kick * SQUARE, kick), wantAlternate=True, **host,
                             tooltip_text=ref(316), tooltip_name=tip, Presentation=art(
                                 graphic("common/kick", PRESSABLE),
                                 rect("not_ready", ["Hover", "Active"], border=True))),
                  ])


def lobby_screen():
    tip = "LobbyTooltip"
    players = [("Commander Vale", "Northern Legion", 1, True),
               ("Ironhide", "Iron Covenant", 2, True),
               ("Marguerite", "Free Companies", 1, False),
               ("Sable_77", "Random", 2, False)]
    chat = ["* Ironhide has joined the game.", "Ironhide: gl hf",
            "Marguerite: one minute, changing colours", "* Sable_77 has joined the game."]
    # Over the columns of the rows (fractions of a row), the list's left edge at 0.04.
    headers = [("Player", 0.02, 0.34), ("Race", 0.38, 0.28), ("Team", 0.68, 0.15),
               ("Ready", 0.84, 0.15)]
    chat_box = Doc(0.6, 0.29)
    return {
        "TooltipWidgets": tooltip_layer("LobbyTooltips", tip, [0.35, 0.025]),
        "Widgets": widget("Group", "Lobby", Children=[
            widget("ArtLabel", "Background", style=["Frontend", "Background"]),
            widget("TextLabel", "Title", style=["Frontend", "Title"], position=[0.03, 0.02],
                   text=ref("Lobby")),
            widget("ArtLabel", "PlayersPanel", position=[0.03, 0.11], size=[0.62, 0.46],
                   Presentation=_panel_art()),
        ] + [text_label("Header" + text, ref(text), [0.04 + x * ROW[0], 0.115],
                        [w * ROW[0], 0.035], font="gillsans_11", top="title_gold",
                        multiline=False)
             for text, x, w in headers] + [
            # Rows written into the list so the preview shows a full game; the size, the
            # template, the scroll bar, the frame and maxItems come from the style.
            widget("CustomListBox", "PlayerList", style=[UI, "PlayerList"],
                   position=[0.04, 0.155],
                   ItemsGroup=widget("Group", "Rows", size=Doc(ROW[0], LIST_HEIGHT), Children=[
                       _player_row(index, *player, tip=tip)
                       for index, player in enumerate(players)])),
            widget("ArtLabel", "ChatPanel", position=[0.03, 0.6], size=[0.62, 0.37],
                   Presentation=_panel_art()),
            _list_frame("ChatHistory", [0.04, 0.61], chat_box, "Lines", [
                text_label("ChatLine%d" % (index + 1), text, [0.01, 0.1 * index],
                           [0.98, 0.1], font="gillsans_11",
                           top="chat_system" if text.startswith("*") else "chat_text",
                           multiline=False)
                for index, text in enumerate(chat)]),
            widget("EditText", "ChatInput", style=[UI, "EditBox"], position=[0.04, 0.915]),
            widget("Button", "SendButton", style=[UI, "SmallButton"],
                   position=[0.43, 0.915], text=ref("Send")),
            text_label("MapCaption", ref("Map"), [0.68, 0.11], [0.29, 0.035],
                       font="gillsans_11", top="title_gold", multiline=False),
            _combo("MapChoice", "The Border Road (4)", [0.68, 0.15], Doc(0.29, 0.04)),
            # Square on screen, as the map is.
            widget("ArtLabel", "MapPreview", position=[0.69, 0.205], size=[0.27, 0.36],
                   Presentation=art(graphic("maps/border_road_preview"),
                                    # No alpha written: the game reads it as 1 of 255,
                                    # so the hover tint is all but invisible.
                                    rect([255, 240, 200], ["Hover"]),
                                    rect("panel_border", border=True))),
            text_label("SpeedCaption", ref("Game speed"), [0.68, 0.585], [0.14, 0.04],
                       font="gillsans_11", multiline=False),
            _combo("SpeedChoice", ref("Normal"), [0.83, 0.585], Doc(0.14, 0.04)),
            widget("CheckButton", "ReadyToggle", style=[UI, "CheckBox"],
                   position=[0.68, 0.645], text=ref("Ready"),
                   tooltip_text=ref(315), tooltip_name=tip),
            widget("Button", "InviteButton", style=[UI, "MenuButton"],
                   position=[0.695, 0.705], text=ref("Invite friend"),
                   tooltip_text=ref(317), tooltip_name=tip),
            widget("Button", "StartButton", style=["Frontend", "MenuButton"],
                   position=[0.675, 0.825], enabled=False, text=ref("Start game")),
            widget("Button", "BackButton", style=[UI, "MenuButton"],
                   position=[0.695, 0.905], text=ref("Back")),
            text_label("ConnectionLost", ref(328), [0.2, 0.45], [0.6, 0.1], visible=False,
                       font="gillsans_bold_16", top="not_ready", horzAlign="Centre"),
        ]),
    }


def automatch_screen():
    tip = "AutomatchTooltip"
    opponents = ["Ironhide (won)", "Marguerite (lost)", "Sable_77 (won)", "Tomasz (lost)",
                 "Wren (won)", "Greyfield (won)"]
    list_box = style_sizes()[("uistyles", "listbox")]
    return {
        "TooltipWidgets": tooltip_layer("AutomatchTooltips", tip, [0.55, 0.64]),
        "Widgets": widget("Group", "Automatch", Children=[
            widget("ArtLabel", "Background", style=["Frontend", "Background"]),
            widget("TextLabel", "Title", style=["Frontend", "Title"], position=[0.05, 0.04],
                   text=ref("Automatch")),
            widget("ArtLabel", "SearchPanel", position=[0.05, 0.15], size=[0.45, 0.45],
                   Presentation=_panel_art()),
            text_label("RaceCaption", ref("Race"), [0.07, 0.18], [0.15, 0.04], multiline=False),
            _combo("RaceChoice", "Northern Legion", [0.23, 0.18]),
            text_label("SizeCaption", "Game size", [0.07, 0.25], [0.15, 0.04], multiline=False),
            # Everything from the style: the label reads "Random".
            widget("ComboBox", "GameSize", style=[UI, "DropDown"], position=[0.23, 0.25]),
            text_label("SearchStatus", ref("Connecting..."), [0.07, 0.45], [0.41, 0.05],
                       horzAlign="Centre", multiline=False),
            widget("ProgressBar", "SearchProgress", style=[UI, "LoadingBar"],
                   position=[0.07, 0.52], size=[0.41, 0.03], range=[0, 60], **_bar_parts()),
            text_label("RecentCaption", "Recent opponents", [0.55, 0.15], [0.3, 0.045],
                       top="title_gold", multiline=False),
            # The style's size, frame, template and scroll bar; rows of its own.
            widget("TextListBox", "RecentOpponents", style=[UI, "ListBox"],
                   position=[0.55, 0.2],
                   ItemsGroup=widget("Group", "Items",
                                     size=Doc(list_box[0] - SCROLL_WIDTH, list_box[1]),
                                     Children=[
                                         text_label("Opponent%d" % (index + 1), text,
                                                    [0.02, 0.09 * index], [0.96, 0.09],
                                                    font="gillsans_11", top="body_text",
                                                    multiline=False)
                                         for index, text in enumerate(opponents)])),
            widget("Button", "QuickMatchButton", style=[UI, "MenuButton"],
                   position=[0.05, 0.64], text=ref("Quick match"),
                   tooltip_text=ref(318), tooltip_name=tip),
            widget("Button", "CancelButton", style=[UI, "MenuButton"],
                   position=[0.05, 0.715], text=ref("Cancel")),
        ]),
    }


def loading_screen():
    cards = []
    for index, (player, visible) in enumerate([("Commander Vale", True), ("Ironhide", True),
                                               ("Marguerite", True), ("", False)]):
        n = index + 1
        cards.append(widget("Group", "PlayerCard%d" % n, position=[0.05 + 0.23 * index, 0.64],
                            size=[0.21, 0.12], visible=visible, Children=[
                                widget("ArtLabel", "CardBack%d" % n, Presentation=_panel_art()),
                                text_label("CardName%d" % n, player, [0.05, 0.05], [0.9, 0.4],
                                           multiline=False),
                                # Narrower than the style's bar: back and bar of its own.
                                widget("ProgressBar", "CardProgress%d" % n,
                                       style=[UI, "LoadingBar"], position=[0.05, 0.6],
                                       size=[0.9, 0.2], **_bar_parts()),
                            ]))
    return {
        "Widgets": widget("Group", "Loading", Children=[
            widget("ArtLabel", "LoadingArt", Presentation=art(
                graphic("loading/bastion_keep", size=[1, 1]),
                graphic("frontend/logo", position=[0.66, 0.02], size=[0.3, 0.2]),
                rect([0, 0, 0, 170], position=[0, 0.62], size=[1, 0.38]))),
            widget("TextLabel", "MissionTitle", style=[UI, "Title"],
                   position=[0.05, 0.05], text=ref(20002)),
            text_label("MissionSubtitle", ref(20001), [0.05, 0.11], [0.6, 0.04],
                       top="title_gold", multiline=False),
            text_label("TipCaption", "Tip", [0.05, 0.78], [0.1, 0.04], top="title_gold",
                       multiline=False, vertAlign="Top"),
            text_label("TipText", ref(505), [0.15, 0.78], [0.7, 0.07], font="gillsans_11",
                       top="body_text", vertAlign="Top"),
            text_label("LoadingText", ref("Loading..."), [0.2, 0.865], [0.6, 0.035],
                       horzAlign="Centre", multiline=False),
            # Size, art, the bar itself, range and step all from the style.
            widget("ProgressBar", "LoadingProgress", style=[UI, "LoadingBar"],
                   position=[0.2, 0.91]),
            widget("Swf", "Spinner", position=[0.9, 0.88], size=[0.06, 0.08],
                   Presentation=art(movie("loading_spinner.swf", 0.8))),
            widget("Group", "PlayerCards", Children=cards),
            text_label("ConnectionLost", ref(328), [0.2, 0.4], [0.6, 0.12], visible=False,
                       font="gillsans_bold_16", top="not_ready", horzAlign="Centre"),
        ]),
    }


def message_dialog(title, body, buttons, edit=None):
    """A small dialog of the DialogFrame style's size: title, message, an optional input
    field, a row of buttons of the SmallButton style's size, centred."""
    w, h = style_sizes()[("uistyles", "dialogframe")]
    children = [
        widget("ArtLabel", "Frame", style=[UI, "DialogFrame"]),
        widget("TextLabel", "Title", position=[0.06, 0.05], size=[0.88, 0.16], text=title,
               Presentation=art(label(font="gillsans_bold_16", top="title_gold",
                                      bottom="title_gold_dark", multiline=False),
                                line("separator", [0, 1], [1, 1]))),
        widget("TextLabel", "Message", style=[UI, "Body"], position=[0.06, 0.25], text=body),
    ]
    if edit:
        children.append(widget("EditText", edit, style=[UI, "EditBox"],
                               position=[0.06, 0.56]))
    button_w = style_sizes()[("uistyles", "smallbutton")][0]
    gap = 0.02
    left = (w - len(buttons) * button_w - (len(buttons) - 1) * gap) / 2
    for index, (name, text) in enumerate(buttons):
        children.append(widget("Button", name, style=[UI, "SmallButton"],
                               position=Doc(left + (button_w + gap) * index, 0.78 * h),
                               text=text))
    return {
        "Widgets": widget("Group", "DialogScreen", Children=[
            widget("ArtLabel", "Dim", Presentation=art(rect("dialog_dim"))),
            widget("Group", "Dialog", position=[(1 - w) / 2, (1 - h) / 2], size=[w, h],
                   Children=children),
        ]),
    }


def dialog_screens():
    yes_no = [("YesButton", ref("Yes")), ("NoButton", ref("No"))]
    ok_cancel = [("OkButton", ref("OK")), ("CancelButton", ref("Cancel"))]
    return {
        "quitconfirmationdialog.screen": message_dialog(ref("Quit"), ref(331), yes_no),
        "deleteprofiledialog.screen": message_dialog(ref("Delete profile"), ref(332), yes_no),
        "newprofiledialog.screen": message_dialog(ref("New profile"), ref(309), ok_cancel,
                                                  "ProfileName"),
        "cdkeydialog.screen": message_dialog("CD key", ref(334), ok_cancel, "KeyInput"),
        "nicknamepromptdialog.screen": message_dialog(ref("Nickname"), ref(329), ok_cancel,
                                                      "NicknameInput"),
        "passwordresetdialog.screen": message_dialog(ref("Password"), ref(330), ok_cancel,
                                                     "PasswordInput"),
        "directconnectdialog.screen": message_dialog(
            ref("Direct connect"), ref(319), [("ConnectButton", ref("Accept")),
                                              ("CancelButton", ref("Cancel"))], "AddressInput"),
        "autosaveprompt.screen": message_dialog(ref("Save game"), ref(519), yes_no),
    }


# Every English string of the engine's tables, cycled through by the stress screen.
def _stress_texts():
    return [ref(ident) for ident, _ in engine_strings(0)]


STRESS_SCREEN = "stressscreen.screen"
STRESS_KINDS = ["Button", "TextLabel", "ArtLabel", "CheckButton", "RadioButton", "EditText",
                "TextLabel", "Button", "ArtLabel", "ProgressBar"]


def stress_screen():
    """2,221 widgets in four levels (root, 20 panels, 200 rows, 2,000 cells), every
    cell with two or three items, written out in full: a measure of loading."""
    texts = _stress_texts()
    panels = []
    serial = 0
    for p in range(20):
        rows = []
        for r in range(10):
            cells = []
            for c in range(10):
                kind = STRESS_KINDS[(c + r + p) % len(STRESS_KINDS)]
                name = "Cell_%02d_%d_%d" % (p, r, c)
                states = PRESSABLE if kind in ("Button", "CheckButton", "RadioButton") else IDLE
                items = [graphic("stress/tile_%02d" % ((p * 7 + r * 3 + c) % 24), states,
                                 size=[1, 1])]
                if kind == "ArtLabel":
                    items.append(rect("panel_border", states, border=True))
                else:
                    items.append(label(states, "gillsans_11", horzAlign="Centre"))
                if serial % 3 == 0:
                    items.append(line("separator", [0, 1], [1, 1], states))
                fields = {}
                if kind != "ArtLabel":
                    fields["text"] = texts[serial % len(texts)]
                if kind in ("Button", "CheckButton", "RadioButton") and serial % 4 == 0:
                    fields.update(tooltip_text=texts[(serial * 7) % len(texts)],
                                  tooltip_name="StressTooltip")
                if kind == "ProgressBar":
                    # Range and step from the style; the style's bar is longer than the
                    # cell, so the cell has its own.
                    fields["style"] = [UI, "LoadingBar"]
                    fields["Progress"] = widget(
                        "ArtLabel", "Bar_%02d_%d_%d" % (p, r, c), position=[0.1, 0.4],
                        size=[0.8, 0.2], Presentation=art(graphic("common/progress_fill")))
                if serial % 29 == 0:
                    fields["visible"] = False
                cells.append(widget(kind, name, position=[0.1 * c, 0], size=[0.095, 1],
                                    Presentation=art(*items), **fields))
                serial += 1
            rows.append(widget("Group", "Row_%02d_%d" % (p, r), position=[0.02, 0.04 + 0.095 * r],
                               size=[0.96, 0.09], Children=cells))
        panels.append(widget("Group", "Panel_%02d" % p,
                             position=[0.2 * (p % 5), 0.25 * (p // 5)], size=[0.2, 0.25],
                             Presentation=_panel_art(), Children=rows))
    return {
        "TooltipWidgets": tooltip_layer("StressTooltips", "StressTooltip", [0.35, 0.9]),
        "Widgets": widget("Group", "StressRoot", Children=panels),
    }


# Deliberate defects, for `tvse-tool check`: a modder's new loose screen and style sheet
# in Frontier\Data, each mistake one the check must report (and the editor shows only as
# a stand-in: a placeholder texture, a default look, "No String!", the system font).
DEFECT_SCREEN = "outpostscreen.screen"
DEFECT_SHEET = "outpost.styles"            # does not compile; no widget uses it
DEFECT_TEXTURE = "frontend/outpost_banner"  # shipped nowhere
DEFECT_STYLE = "OutpostButton"              # not in UIStyles
DEFECT_STRING = 987654                      # in no string table
DEFECT_TOOLTIP = "OutpostTip"               # no tooltip widget has the name
DEFECT_FONT = "outpost_script"              # no font\outpost_script.fnt


def outpost_screen():
    tip = "OutpostTooltip"
    return {
        "TooltipWidgets": tooltip_layer("OutpostTooltips", tip, [0.55, 0.85]),
        "Widgets": widget("Group", "Outpost", Children=[
            widget("ArtLabel", "OutpostPanel", position=[0.05, 0.1], size=[0.5, 0.6],
                   Presentation=_panel_art()),
            widget("ArtLabel", "OutpostBanner", position=[0.1, 0.12], size=[0.4, 0.1],
                   Presentation=art(graphic(DEFECT_TEXTURE))),
            text_label("OutpostTitle", "$%d" % DEFECT_STRING, [0.1, 0.24], [0.4, 0.06],
                       font="engravers_24", top="title_gold", multiline=False),
            # Its own size and art: without the style it would fill the screen.
            widget("Button", "GarrisonButton", style=[UI, DEFECT_STYLE], position=[0.1, 0.34],
                   size=[0.26, 0.055], text=ref("Accept"),
                   Presentation=art(rect("panel_fill", PRESSABLE), label(PRESSABLE))),
            widget("Button", "RecruitButton", style=[UI, "MenuButton"], position=[0.1, 0.42],
                   text=ref("Cancel"), tooltip_text=ref(318), tooltip_name=DEFECT_TOOLTIP),
            widget("Button", "LeaveButton", style=[UI, "MenuButton"], position=[0.1, 0.5],
                   text=ref("Quit"), tooltip_text=ref(306), tooltip_name=tip),
            text_label("OutpostMotto", "Hold the pass", [0.1, 0.6], [0.4, 0.05],
                       font=DEFECT_FONT, multiline=False),
        ]),
    }


def defect_tree():
    """Frontier\\Data's files with the deliberate defects."""
    screen = "Screen = %s\n" % lua_expr(screen_in_document(outpost_screen()))
    sheet = ("-- %s: style sheet of the Outpost screen, a modder's work in progress.\n"
             "-- Deliberately broken for tvse-tool check: its closing braces are missing.\n"
             "StyleSheet = {\n"
             "\tStyles = {\n"
             "\t\t{ name = \"OutpostPanel\", type = \"ArtLabelStyle\", size = {0.5, 0.6} },\n"
             % DEFECT_SHEET)
    # Each under the folder name the program asks for: Art and art are one folder on a
    # Windows disk, two here.
    return {
        "Art/UI/Screens/" + DEFECT_SCREEN:
            screen_script(DEFECT_SCREEN, "Frontier\\Data (loose)", {DEFECT_SCREEN: screen}),
        "art/ui/styles/" + DEFECT_SHEET: crlf(sheet),
    }


def screen_bodies():
    """Screen name -> (Lua text of `Screen = ...`); names absent keep a placeholder."""
    screens = {
        "mainmenuscreen.screen": main_menu_screen(),
        "optionsscreen.screen": options_screen(),
        "lobby2.screen": lobby_screen(),
        "automatchlobbyscreen.screen": automatch_screen(),
        "loadingscreen.screen": loading_screen(),
    }
    screens.update(dialog_screens())
    bodies = {name: "Screen = %s\n" % lua_expr(screen_in_document(screen))
              for name, screen in screens.items()}
    bodies[STRESS_SCREEN] = "Screen = %s\n" % lua_expr(screen_in_document(stress_screen()),
                                                       width=200, pack=True)
    return bodies


def screen_script(name, origin, bodies):
    body = bodies.get(name)
    if body is None:
        return crlf("-- %s: placeholder screen of the sample installation.\n"
                    "-- Copy read from %s.\n"
                    "Screen = { }\n" % (name, origin))
    return crlf("-- %s: screen of the sample installation.\n"
                "-- Copy read from %s.\n%s" % (name, origin, body))


# ---------------------------------------------------------------------------
# Textures: drawing
# ---------------------------------------------------------------------------
#
# The art is drawn here, in pure Python, so it has to be cheap: shapes are filled a row
# at a time (whole spans by slice assignment, only the edge pixels one by one, with
# four samples a row and exact coverage along the row), and most textures are small.

SUBROWS = (0.125, 0.375, 0.625, 0.875)


def _mix(a, b, t):
    """The colour t of the way from a to b (tuples of equal length)."""
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def _opaque(rgb, alpha=255):
    return tuple(rgb[:3]) + (alpha,)


def _hash(*values):
    """A small deterministic integer hash (per-brick and per-tile variety)."""
    h = 2166136261
    for value in values:
        h = ((h ^ (value & 0xFFFFFFFF)) * 16777619) & 0xFFFFFFFF
        h ^= h >> 13
    return h


class Canvas:
    """Straight-alpha RGBA pixels, rows top-down."""

    def __init__(self, width, height, colour=(0, 0, 0, 0)):
        self.width = width
        self.height = height
        self.px = bytearray(bytes(colour) * (width * height))

    def fill(self, x0, y0, x1, y1, colour):
        """Replaces a rectangle (clipped) with one colour, alpha included: translucent
        layers go through `shape`."""
        x0, x1 = max(0, x0), min(self.width, x1)
        if x0 >= x1:
            return
        span = bytes(colour) * (x1 - x0)
        for y in range(max(0, y0), min(self.height, y1)):
            start = (y * self.width + x0) * 4
            self.px[start:start + len(span)] = span

    def rows(self, y0, y1, colour_of_row, x0=0, x1=None):
        """Replaces rows y0..y1 of a band with one colour a row."""
        x1 = self.width if x1 is None else x1
        for y in range(max(0, y0), min(self.height, y1)):
            self.fill(x0, y, x1, y + 1, colour_of_row(y))

    def columns(self, colours, y0=0, y1=None):
        """Replaces rows y0..y1 with the same row of `colours` (one per column)."""
        row = b"".join(bytes(c) for c in colours)
        for y in range(y0, self.height if y1 is None else y1):
            self.px[y * self.width * 4:(y + 1) * self.width * 4] = row

    def blend(self, x, y, colour, coverage=1.0):
        """Draws one pixel of `colour` over what is there (straight alpha)."""
        if not (0 <= x < self.width and 0 <= y < self.height):
            return
        sa = colour[3] * coverage / 255.0
        if sa <= 0.0:
            return
        i = (y * self.width + x) * 4
        p = self.px
        da = p[i + 3] / 255.0 * (1.0 - sa)
        oa = sa + da
        p[i] = int(round((colour[0] * sa + p[i] * da) / oa))
        p[i + 1] = int(round((colour[1] * sa + p[i + 1] * da) / oa))
        p[i + 2] = int(round((colour[2] * sa + p[i + 2] * da) / oa))
        p[i + 3] = int(round(oa * 255.0))

    def shape(self, span, colour, y0=0, y1=None):
        """Fills the area that covers span(y) = (left, right) of the row at height y (None
        where it covers nothing), antialiased. `colour`: a tuple or a function of the
        pixel row."""
        y1 = self.height if y1 is None else y1
        for py in range(max(0, int(y0)), min(self.height, int(math.ceil(y1)))):
            spans = [s for s in (span(py + f) for f in SUBROWS) if s and s[1] > s[0]]
            if not spans:
                continue
            c = colour(py) if callable(colour) else colour
            left = max(0, int(math.floor(min(s[0] for s in spans))))
            right = min(self.width, int(math.ceil(max(s[1] for s in spans))))
            inner_l, inner_r = right, right
            if len(spans) == len(SUBROWS):
                inner_l = max(left, int(math.ceil(max(s[0] for s in spans))))
                inner_r = min(right, int(math.floor(min(s[1] for s in spans))))
                if inner_l >= inner_r:
                    inner_l, inner_r = right, right
            if inner_l < inner_r:
                start, end = (py * self.width + inner_l) * 4, (py * self.width + inner_r) * 4
                first = self.px[start:start + 4]
                if c[3] == 255:
                    self.fill(inner_l, py, inner_r, py + 1, c)
                elif self.px[start:end] == first * (inner_r - inner_l):
                    # A run of one colour (the usual case under a translucent layer):
                    # blend one pixel and repeat it.
                    self.blend(inner_l, py, c)
                    self.px[start:end] = self.px[start:start + 4] * (inner_r - inner_l)
                else:
                    for x in range(inner_l, inner_r):
                        self.blend(x, py, c)
            for x in list(range(left, inner_l)) + list(range(inner_r, right)):
                cover = sum(max(0.0, min(s[1], x + 1) - max(s[0], x)) for s in spans)
                self.blend(x, py, c, cover / len(SUBROWS))

    def half(self):
        """The next mip level: each pixel the mean of four, colour weighted by alpha."""
        w, h = max(1, self.width // 2), max(1, self.height // 2)
        out = Canvas(w, h)
        src, dst = self.px, out.px
        for y in range(h):
            for x in range(w):
                total = [0, 0, 0, 0]
                for sy, sx in ((2 * y, 2 * x), (2 * y, 2 * x + 1), (2 * y + 1, 2 * x),
                               (2 * y + 1, 2 * x + 1)):
                    i = (min(sy, self.height - 1) * self.width + min(sx, self.width - 1)) * 4
                    a = src[i + 3]
                    total[0] += src[i] * a
                    total[1] += src[i + 1] * a
                    total[2] += src[i + 2] * a
                    total[3] += a
                j = (y * w + x) * 4
                if total[3]:
                    dst[j:j + 3] = bytes(int(round(t / total[3])) for t in total[:3])
                dst[j + 3] = (total[3] + 2) // 4
        return out


def rect_span(x0, y0, x1, y1):
    return lambda y: (x0, x1) if y0 <= y < y1 else None


def round_rect_span(x0, y0, x1, y1, radius, top=True, bottom=True):
    """A rectangle with rounded corners (only the top or the bottom ones if asked)."""
    def span(y):
        if y < y0 or y >= y1:
            return None
        d = 0.0
        if top and y < y0 + radius:
            d = y0 + radius - y
        elif bottom and y > y1 - radius:
            d = y - (y1 - radius)
        inset = radius - math.sqrt(max(0.0, radius * radius - d * d))
        return (x0 + inset, x1 - inset)
    return span


def ellipse_span(cx, cy, rx, ry=None):
    ry = rx if ry is None else ry

    def span(y):
        t = (y - cy) / ry
        if abs(t) >= 1.0:
            return None
        h = rx * math.sqrt(1.0 - t * t)
        return (cx - h, cx + h)
    return span


def polygon_span(points):
    """A convex polygon given by its corners in order."""
    edges = list(zip(points, points[1:] + points[:1]))

    def span(y):
        xs = []
        for (ax, ay), (bx, by) in edges:
            if (ay <= y < by) or (by <= y < ay):
                xs.append(ax + (y - ay) * (bx - ax) / (by - ay))
        return (min(xs), max(xs)) if len(xs) >= 2 else None
    return span


def bar_points(x0, y0, x1, y1, width):
    """The four corners of a bar of `width` from (x0, y0) to (x1, y1)."""
    dx, dy = x1 - x0, y1 - y0
    length = math.hypot(dx, dy)
    nx, ny = -dy / length * width / 2, dx / length * width / 2
    return [(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)]


def vgradient(y0, y1, top, bottom):
    """A colour function of the row, from `top` at y0 to `bottom` at y1."""
    return lambda y: _mix(top, bottom, min(1.0, max(0.0, (y + 0.5 - y0) / max(1, y1 - y0))))


# --- the front end's palette --------------------------------------------------------

IRON = (46, 50, 58)
IRON_LIGHT = (96, 102, 112)
IRON_DARK = (20, 22, 26)
BRONZE = (150, 130, 90)
BRONZE_LIGHT = (214, 190, 130)
BRONZE_DARK = (84, 68, 40)
GOLD = (240, 205, 120)
GOLD_DARK = (170, 120, 50)
EMBER = (230, 150, 60)


def plate(canvas, x0, y0, x1, y1, radius, face, rim, state="normal", top=True,
          bottom=True):
    """A bevelled plate: a dark rim, a lit edge and a face with a vertical gradient.
    Pressed plates are lit from below; disabled ones are flat and grey."""
    face_top, face_bottom = face
    light, shade = _mix(face_top, (255, 255, 255), 0.45), _mix(face_bottom, (0, 0, 0), 0.5)
    if state == "pressed":
        light, shade = shade, light
        face_top, face_bottom = _mix(face_bottom, (0, 0, 0), 0.2), face_top
    elif state == "disabled":
        grey = lambda c: _mix(c, (sum(c) // 3,) * 3, 0.85)
        face_top, face_bottom, light, shade, rim = (grey(face_top), grey(face_bottom),
                                                    grey(light), grey(shade), grey(rim))
    elif state == "hover":
        face_top, face_bottom = _mix(face_top, GOLD, 0.2), _mix(face_bottom, GOLD, 0.1)
        light, rim = _mix(light, GOLD, 0.5), _mix(rim, GOLD, 0.6)
    canvas.shape(round_rect_span(x0, y0, x1, y1, radius, top, bottom), _opaque(rim))
    canvas.shape(round_rect_span(x0 + 1.5, y0 + 1.5, x1 - 1.5, y1 - 1.5,
                                 max(1.0, radius - 1.5), top, bottom),
                 vgradient(y0 + 1.5, y1 - 1.5, _opaque(light), _opaque(shade)))
    canvas.shape(round_rect_span(x0 + 3, y0 + 3, x1 - 3, y1 - 3, max(1.0, radius - 3),
                                 top, bottom),
                 vgradient(y0 + 3, y1 - 3, _opaque(face_top), _opaque(face_bottom)))
    # A soft sheen across the upper half of the face.
    sheen = (y1 - y0) * 0.42
    canvas.shape(round_rect_span(x0 + 5, y0 + 4, x1 - 5, y0 + 4 + sheen, max(1.0, radius - 4),
                                 top, False),
                 vgradient(y0 + 4, y0 + 4 + sheen, (255, 255, 255, 46), (255, 255, 255, 0)))


def button_art(width, height, radius, face, rim, state, studs=False):
    canvas = Canvas(width, height)
    plate(canvas, 0, 0, width, height, radius, face, rim, state)
    if studs:  # the menu plates' ornaments: a diamond at each end
        mid = height / 2
        for cx in (height * 0.45, width - height * 0.45):
            r = height * 0.16
            canvas.shape(polygon_span([(cx, mid - r), (cx + r, mid), (cx, mid + r),
                                       (cx - r, mid)]),
                         _opaque(GOLD if state == "hover" else BRONZE_LIGHT,
                                 120 if state == "disabled" else 255))
    return canvas


BUTTON_FACE = ((70, 78, 92), (30, 34, 42))
MENU_FACE = ((92, 80, 60), (42, 34, 24))
TAB_FACE = ((60, 64, 74), (32, 34, 40))


def glow_art(width, height, colour):
    """A soft elliptical glow, fading to nothing at the edges."""
    canvas = Canvas(width, height)
    cx, cy = width / 2, height / 2
    for y in range(height):
        dy = (y + 0.5 - cy) / (height / 2)
        for x in range(width):
            dx = (x + 0.5 - cx) / (width / 2)
            t = 1.0 - dx * dx - dy * dy
            if t > 0:
                canvas.px[(y * width + x) * 4:(y * width + x + 1) * 4] = \
                    bytes(_opaque(colour, int(255 * t ** 1.5)))
    return canvas


def tick(canvas, scale, colour, offset=(0, 0)):
    """A check mark in a 64-unit box."""
    ox, oy = offset
    p = lambda x, y: (ox + x * scale, oy + y * scale)
    canvas.shape(polygon_span(bar_points(*p(16, 33), *p(28, 45), 9 * scale)), colour)
    canvas.shape(polygon_span(bar_points(*p(25, 46), *p(49, 16), 9 * scale)), colour)


def toggle_art(kind, on, state):
    """Check boxes and radio buttons, 64 x 64."""
    canvas = Canvas(64, 64)
    rim = {"hover": GOLD, "disabled": (90, 88, 84)}.get(state, BRONZE)
    inner = {"pressed": (10, 10, 12), "disabled": (44, 44, 44)}.get(state, (26, 28, 34))
    mark = {"hover": (255, 226, 150), "pressed": GOLD_DARK,
            "disabled": (128, 124, 116)}.get(state, GOLD)
    if kind == "checkbox":
        canvas.shape(round_rect_span(6, 6, 58, 58, 8), _opaque(rim))
        canvas.shape(round_rect_span(10, 10, 54, 54, 5),
                     vgradient(10, 54, _opaque(_mix(inner, (0, 0, 0), 0.5)), _opaque(inner)))
        if on:
            tick(canvas, 1.0, _opaque(mark))
    else:
        canvas.shape(ellipse_span(32, 32, 26), _opaque(rim))
        canvas.shape(ellipse_span(32, 32, 22),
                     vgradient(10, 54, _opaque(_mix(inner, (0, 0, 0), 0.5)), _opaque(inner)))
        if on:
            canvas.shape(ellipse_span(32, 32, 12), vgradient(20, 44, _opaque(mark),
                                                             _opaque(_mix(mark, (0, 0, 0), 0.4))))
            canvas.shape(ellipse_span(28, 27, 4), (255, 255, 255, 150))
    return canvas


def ready_art(on):
    """The lobby's ready box: a dark square, a green tick when ready. Corners are
    cut by 1-bit alpha (block compression without an alpha block)."""
    canvas = Canvas(64, 64)
    canvas.shape(round_rect_span(2, 2, 62, 62, 10), (36, 40, 36, 255))
    canvas.shape(round_rect_span(6, 6, 58, 58, 7),
                 vgradient(6, 58, (14, 16, 14, 255), (30, 34, 30, 255)))
    if on:
        tick(canvas, 1.0, (90, 200, 90, 255))
    # 1-bit alpha: the antialiased rim is either kept or cut.
    p = canvas.px
    for i in range(3, len(p), 4):
        p[i] = 255 if p[i] >= 128 else 0
    return canvas


def kick_art():
    """A red cross with a dark outline, soft edges (premultiplied when stored)."""
    canvas = Canvas(64, 64)
    for width, colour in ((20, (30, 8, 6, 230)), (12, (200, 70, 60, 255))):
        canvas.shape(polygon_span(bar_points(14, 14, 50, 50, width)), colour)
        canvas.shape(polygon_span(bar_points(50, 14, 14, 50, width)), colour)
    return canvas


def arrow_art(width, height, direction, state):
    """A triangle pointing up, down or left on a small plate."""
    canvas = Canvas(width, height)
    plate(canvas, 2, 2, width - 2, height - 2, min(width, height) * 0.2, BUTTON_FACE,
          BRONZE_DARK, state)
    colour = _opaque({"hover": (255, 226, 150), "pressed": GOLD_DARK}.get(state, GOLD))
    cx, cy, r = width / 2, height / 2 + (1 if state == "pressed" else 0), min(width, height) * 0.26
    points = {"up": [(cx, cy - r), (cx + r, cy + r * 0.7), (cx - r, cy + r * 0.7)],
              "down": [(cx - r, cy - r * 0.7), (cx + r, cy - r * 0.7), (cx, cy + r)],
              "left": [(cx - r, cy), (cx + r * 0.7, cy - r), (cx + r * 0.7, cy + r)]}[direction]
    canvas.shape(polygon_span(points), colour)
    return canvas


def thumb_art(hover):
    """The scroll bar's thumb: a tall plate with three grip lines."""
    canvas = Canvas(32, 64)
    plate(canvas, 2, 0, 30, 64, 6, BUTTON_FACE, BRONZE, "hover" if hover else "normal")
    for y in (26, 31, 36):
        canvas.fill(9, y, 23, y + 1, _opaque(IRON_DARK))
        canvas.fill(9, y + 1, 23, y + 2, _opaque(IRON_LIGHT))
    return canvas


def track_art():
    """A recessed channel, darkest in the middle."""
    canvas = Canvas(32, 128)
    canvas.columns([_opaque(_mix((8, 9, 11), IRON, abs(x - 15.5) / 16.0), 230)
                    for x in range(32)])
    canvas.fill(0, 0, 1, 128, _opaque(BRONZE_DARK))
    canvas.fill(31, 0, 32, 128, _opaque(BRONZE_DARK))
    return canvas


def groove_art(width, height):
    """The slider's groove: a sunken bar with tick marks."""
    canvas = Canvas(width, height)
    plate(canvas, 0, 4, width, height - 4, 6, ((16, 18, 22), (40, 44, 52)), BRONZE_DARK,
          "pressed")
    for index in range(1, 10):
        x = index * width // 10
        canvas.fill(x, 8, x + 1, height - 8, _opaque(IRON_LIGHT))
    return canvas


def bar_fill_art(width, height, stripes):
    """A light, glossy bar (tinted by the item's colour), diagonal stripes if asked."""
    canvas = Canvas(width, height)
    canvas.shape(round_rect_span(0, 2, width, height - 2, (height - 4) / 2),
                 vgradient(2, height - 2, (255, 255, 255, 255), (150, 150, 150, 255)))
    if stripes:
        for x0 in range(-height, width, 24):
            canvas.shape(polygon_span([(x0, height - 3), (x0 + 10, height - 3),
                                       (x0 + 10 + height - 6, 3), (x0 + height - 6, 3)]),
                         (90, 90, 90, 70), 3, height - 3)
    canvas.shape(round_rect_span(4, 4, width - 4, height / 2, (height - 8) / 4),
                 (255, 255, 255, 90))
    return canvas


def panel_art(size):
    """The dialogs' back: riveted, brushed iron plates."""
    canvas = Canvas(size, size)
    canvas.rows(0, size, lambda y: _opaque(_mix(IRON, IRON_DARK, y / size * 0.6
                                                + (_hash(y, 7) % 9) / 60.0)))
    for seam in range(0, size, size // 4):
        canvas.fill(0, seam, size, seam + 1, _opaque(IRON_DARK))
        canvas.shape(rect_span(0, seam + 1, size, seam + 2), _opaque(IRON_LIGHT, 110))
        canvas.fill(seam, 0, seam + 1, size, _opaque(IRON_DARK))
        canvas.shape(rect_span(seam + 1, 0, seam + 2, size), _opaque(IRON_LIGHT, 110))
    step = size // 4
    for gy in range(0, size, step):
        for gx in range(0, size, step):
            for rx, ry in ((8, 8), (step - 8, 8), (8, step - 8), (step - 8, step - 8)):
                canvas.shape(ellipse_span(gx + rx, gy + ry, 3.5), _opaque(IRON_DARK))
                canvas.shape(ellipse_span(gx + rx - 0.6, gy + ry - 0.6, 2.2), _opaque(IRON_LIGHT))
    return canvas


def corner_art():
    """The dialog frame's top-left ornament: a gold bracket with a stud."""
    canvas = Canvas(64, 64)
    for inset, colour in ((0, _opaque(GOLD_DARK)), (2, _opaque(GOLD))):
        canvas.shape(polygon_span([(2 + inset, 2 + inset), (60 - inset, 2 + inset),
                                   (52 - inset, 10 - inset), (10 - inset, 10 - inset)]), colour)
        canvas.shape(polygon_span([(2 + inset, 2 + inset), (10 - inset, 10 - inset),
                                   (10 - inset, 52 - inset), (2 + inset, 60 - inset)]), colour)
    canvas.shape(polygon_span([(18, 8), (28, 18), (18, 28), (8, 18)]), _opaque(BRONZE_DARK))
    canvas.shape(polygon_span([(18, 11), (25, 18), (18, 25), (11, 18)]), _opaque(GOLD))
    canvas.shape(ellipse_span(16.5, 16.5, 2.5), (255, 255, 230, 200))
    return canvas


def wall_art(width, height):
    """The front end's background: a wall of dressed stone, lit from above."""
    canvas = Canvas(width, height, _opaque((14, 13, 12)))
    course, length = 32, 64
    for row in range(height // course):
        y0 = row * course
        shift = (length // 2) * (row % 2)
        for col in range(-1, width // length + 1):
            x0 = col * length + shift
            h = _hash(row, col % (width // length))
            base = _mix((58, 54, 48), (88, 80, 66), (h % 100) / 100.0)
            top, bottom = _mix(base, (255, 240, 210), 0.12), _mix(base, (0, 0, 0), 0.35)
            x_from, x_to = max(0, x0 + 2), min(width, x0 + length - 1)
            canvas.rows(y0 + 2, y0 + course - 1, vgradient(y0 + 2, y0 + course - 1,
                                                          _opaque(top), _opaque(bottom)),
                        x_from, x_to)
            canvas.fill(x_from, y0 + 2, x_to, y0 + 3, _opaque(_mix(top, (255, 255, 255), 0.25)))
            if h % 5 == 0:  # a crack across some stones
                cx = x0 + 12 + h % 36
                canvas.shape(polygon_span(bar_points(cx, y0 + 4, cx + 9, y0 + course - 6, 1.6)),
                             _opaque(_mix(bottom, (0, 0, 0), 0.5)))
    return canvas


def vignette_art(size):
    """Black, transparent in the middle and darkening towards the edges."""
    canvas = Canvas(size, size)
    half = size / 2
    for y in range(size):
        dy = (y + 0.5 - half) / half
        for x in range(size):
            dx = (x + 0.5 - half) / half
            t = min(1.0, max(0.0, (math.sqrt(dx * dx + dy * dy) - 0.55) / 0.75))
            canvas.px[(y * size + x) * 4 + 3] = int(255 * t ** 1.4)
    return canvas


def logo_art():
    """The campaign's crest on a banner: a shield with a keep, wings of bronze."""
    canvas = Canvas(256, 128)
    for side in (-1, 1):
        for k in range(4):
            x_in, x_out = 128 + side * 34, 128 + side * (104 - k * 14)
            y = 40 + k * 14
            canvas.shape(polygon_span(sorted_polygon([(x_in, y), (x_out, y + 4),
                                                      (x_out + side * -10, y + 14),
                                                      (x_in, y + 12)])),
                         vgradient(y, y + 14, _opaque(BRONZE_LIGHT), _opaque(BRONZE_DARK)))
    shield = [(84, 14), (172, 14), (168, 74), (128, 118), (88, 74)]
    canvas.shape(polygon_span(shield), _opaque(GOLD_DARK))
    inner = [(90, 20), (166, 20), (162, 72), (128, 110), (94, 72)]
    canvas.shape(polygon_span(inner), vgradient(20, 110, _opaque((120, 30, 26)),
                                                _opaque((60, 12, 10))))
    # The keep: a tower with battlements and a lit gate.
    canvas.fill(112, 44, 144, 90, _opaque(GOLD))
    for x in range(110, 146, 8):
        canvas.fill(x, 36, x + 5, 44, _opaque(GOLD))
    canvas.shape(round_rect_span(122, 70, 134, 90, 6, True, False), _opaque((60, 12, 10)))
    canvas.fill(114, 52, 142, 54, _opaque(GOLD_DARK))
    return canvas


def sorted_polygon(points):
    """The points of a convex quadrilateral in order around their centre."""
    cx = sum(p[0] for p in points) / len(points)
    cy = sum(p[1] for p in points) / len(points)
    return sorted(points, key=lambda p: math.atan2(p[1] - cy, p[0] - cx))


def keep_art(width, height):
    """The loading screen: a keep on a hill against a burning dusk sky."""
    canvas = Canvas(width, height)
    horizon = int(height * 0.62)
    sky = vgradient(0, horizon, (22, 24, 48, 255), (210, 110, 50, 255))
    canvas.rows(0, horizon, sky)
    canvas.shape(ellipse_span(width * 0.72, horizon - 8, 22), (255, 214, 140, 255), 0, horizon)
    ground = vgradient(horizon, height, (40, 30, 24, 255), (12, 10, 9, 255))
    hills = [horizon - 10 - 10 * math.sin(x / 23.0) - 6 * math.sin(x / 7.3 + 1)
             for x in range(width)]
    for y in range(int(min(hills)), height):
        colour = bytes(ground(y))
        row = y * width * 4
        for x in range(width):
            if y >= hills[x]:
                canvas.px[row + 4 * x:row + 4 * x + 4] = colour
    keep = (12, 10, 14, 255)
    canvas.fill(int(width * 0.22), int(height * 0.3), int(width * 0.42), horizon, keep)
    canvas.fill(int(width * 0.16), int(height * 0.42), int(width * 0.5), horizon, keep)
    for x in range(int(width * 0.22), int(width * 0.42), 8):
        canvas.fill(x, int(height * 0.26), x + 5, int(height * 0.3), keep)
    for x in range(int(width * 0.16), int(width * 0.5), 8):
        canvas.fill(x, int(height * 0.39), x + 5, int(height * 0.42), keep)
    for index in range(5):
        wx = int(width * 0.24) + index * 9
        canvas.fill(wx, int(height * 0.36), wx + 3, int(height * 0.36) + 6, (255, 170, 70, 255))
    return canvas


def map_art(size):
    """A map preview: fields, a river, the border road and four start positions."""
    canvas = Canvas(size, size)
    for y in range(size):
        row = y * size * 4
        for x in range(size):
            h = _hash(x // 8, y // 8) % 40
            field = (70 + h, 92 + h // 2, 48) if (x // 32 + y // 32) % 3 else (110 + h, 100, 60)
            river = abs(x - (size * 0.35 + 14 * math.sin(y / 11.0))) < 4
            road = abs(y - (size * 0.55 + 0.25 * (x - size / 2))) < 2
            colour = (40, 80, 140) if river else (150, 126, 90) if road else field
            canvas.px[row + 4 * x:row + 4 * x + 4] = bytes(colour) + b"\xff"
    for cx, cy in ((16, 16), (size - 16, 16), (16, size - 16), (size - 16, size - 16)):
        canvas.shape(ellipse_span(cx, cy, 6), (20, 20, 20, 255))
        canvas.shape(ellipse_span(cx, cy, 4), (240, 205, 120, 255))
    return canvas


STRESS_HUES = [(150, 60, 50), (60, 120, 70), (60, 80, 150), (150, 130, 60), (110, 60, 130),
               (50, 130, 140), (140, 90, 50), (100, 100, 110)]


def stress_tile_art(index):
    """One of the stress screen's 24 tiles: a plate of its own colour and pattern."""
    canvas = Canvas(64, 64)
    hue = STRESS_HUES[index % len(STRESS_HUES)]
    plate(canvas, 0, 0, 64, 64, 8, (_mix(hue, (255, 255, 255), 0.2), _mix(hue, (0, 0, 0), 0.4)),
          IRON_DARK)
    pattern = index // len(STRESS_HUES)
    mark = (255, 255, 255, 150)
    if pattern == 1:
        for x in range(12, 52, 10):
            canvas.shape(rect_span(x, 12, x + 4, 52), mark)
    elif pattern == 2:
        for cy in (20, 32, 44):
            for cx in (20, 32, 44):
                canvas.shape(ellipse_span(cx, cy, 3.5), mark)
    return canvas


# ---------------------------------------------------------------------------
# Textures: block compression and file formats
# ---------------------------------------------------------------------------
#
# Stored rows go bottom-up: the editor's converter draws a texture's first stored row
# at the bottom of the image, as the game does.

_Q5 = bytes((v * 31 + 127) // 255 for v in range(256))
_Q6 = bytes((v * 63 + 127) // 255 for v in range(256))
_E5 = bytes((v << 3) | (v >> 2) for v in range(32))
_E6 = bytes((v << 2) | (v >> 4) for v in range(64))
# Palette position (0 = first endpoint .. steps = second) -> index.
_INDEX4 = (0, 2, 3, 1)
_INDEX3 = (0, 2, 1)


def colour_block(r, g, b, a, punch_through=False, premultiplied=False):
    """A BC1 colour block for 16 pixels. Endpoints: the darkest and the brightest pixel
    that shows; each pixel takes the nearest point of the line between them. With
    `punch_through`, pixels with alpha below 128 become the transparent index.
    Premultiplied pixels all count: a transparent one must stay black, or it adds
    light where nothing should show."""
    if punch_through:
        live = [i for i in range(16) if a[i] >= 128]
    elif premultiplied:
        live = list(range(16))
    else:
        live = [i for i in range(16) if a[i]] or list(range(16))
    if not live:
        return b"\0\0\0\0\xff\xff\xff\xff"
    lo = hi = live[0]
    lum_lo = lum_hi = 2 * r[lo] + 4 * g[lo] + b[lo]
    for i in live:
        lum = 2 * r[i] + 4 * g[i] + b[i]
        if lum < lum_lo:
            lo, lum_lo = i, lum
        elif lum > lum_hi:
            hi, lum_hi = i, lum
    q = (_Q5[r[hi]], _Q6[g[hi]], _Q5[b[hi]], _Q5[r[lo]], _Q6[g[lo]], _Q5[b[lo]])
    c0 = (q[0] << 11) | (q[1] << 5) | q[2]
    c1 = (q[3] << 11) | (q[4] << 5) | q[5]
    holes = punch_through and len(live) < 16
    # c0 > c1 selects four colours; c0 <= c1 three and transparent black.
    if (c0 > c1) if holes else (c0 < c1):
        c0, c1, q = c1, c0, q[3:] + q[:3]
    e0r, e0g, e0b = _E5[q[0]], _E6[q[1]], _E5[q[2]]
    dr, dg, db = _E5[q[3]] - e0r, _E6[q[4]] - e0g, _E5[q[5]] - e0b
    dd = dr * dr + dg * dg + db * db
    steps, order = (2, _INDEX3) if holes else (3, _INDEX4)
    bits = 0
    for i in range(15, -1, -1):
        if holes and a[i] < 128:
            index = 3
        elif dd == 0 or c0 == c1:
            index = 0
        else:
            t = ((r[i] - e0r) * dr + (g[i] - e0g) * dg + (b[i] - e0b) * db) * steps
            k = (2 * t + dd) // (2 * dd)
            index = order[0 if k < 0 else steps if k > steps else k]
        bits = (bits << 2) | index
    return struct.pack("<HHI", c0, c1, bits)


def explicit_alpha_block(a):
    """BC2: four bits of alpha a pixel."""
    bits = 0
    for i in range(15, -1, -1):
        bits = (bits << 4) | ((a[i] * 15 + 127) // 255)
    return struct.pack("<Q", bits)


def interpolated_alpha_block(a):
    """BC3: the largest and smallest alpha as endpoints, eight steps between them."""
    a0, a1 = max(a), min(a)
    if a0 == a1:
        return bytes((a0, a1)) + bytes(6)
    span = a0 - a1
    bits = 0
    for i in range(15, -1, -1):
        k = ((a0 - a[i]) * 14 + span) // (2 * span)
        bits = (bits << 3) | (0 if k == 0 else 1 if k == 7 else k + 1)
    return bytes((a0, a1)) + bits.to_bytes(6, "little")


# Block formats: four-character code -> (BC number, premultiplied colour).
DXT_FORMATS = {"DXT1": (1, False), "DXT2": (2, True), "DXT3": (2, False), "DXT4": (3, True),
               "DXT5": (3, False)}


def compress_blocks(canvas, fourcc):
    """The canvas as 4 x 4 blocks, block rows from the bottom of the image up.
    Identical blocks are encoded once (flat art repeats a lot)."""
    bc, premultiplied = DXT_FORMATS[fourcc]
    w, h = canvas.width, canvas.height
    if w % 4 or h % 4:
        raise ValueError("block-compressed textures are multiples of 4 in size")
    stride = w * 4
    px = bytes(canvas.px)
    cache = {}
    out = bytearray()
    for top in range(h - 4, -1, -4):
        rows = [px[(top + 3 - k) * stride:(top + 4 - k) * stride] for k in range(4)]
        for x in range(0, stride, 16):
            block = rows[0][x:x + 16] + rows[1][x:x + 16] + rows[2][x:x + 16] + rows[3][x:x + 16]
            done = cache.get(block)
            if done is None:
                r, g, b, a = block[0::4], block[1::4], block[2::4], block[3::4]
                if premultiplied:
                    r, g, b = (bytes((c * v + 127) // 255 for c, v in zip(channel, a))
                               for channel in (r, g, b))
                if bc == 1:
                    done = colour_block(r, g, b, a, punch_through=True)
                elif bc == 2:
                    done = explicit_alpha_block(a) + colour_block(r, g, b, a,
                                                                  premultiplied=premultiplied)
                else:
                    done = interpolated_alpha_block(a) + colour_block(r, g, b, a,
                                                                      premultiplied=premultiplied)
                cache[block] = done
            out += done
    return bytes(out)


def block_pitch(width, fourcc):
    return max(1, (width + 3) // 4) * (8 if fourcc == "DXT1" else 16)


DDSD_CAPS, DDSD_HEIGHT, DDSD_WIDTH, DDSD_PITCH = 0x1, 0x2, 0x4, 0x8
DDSD_PIXELFORMAT, DDSD_MIPMAPCOUNT, DDSD_LINEARSIZE = 0x1000, 0x20000, 0x80000
DDPF_FOURCC = 0x4
DDSCAPS_COMPLEX, DDSCAPS_TEXTURE, DDSCAPS_MIPMAP = 0x8, 0x1000, 0x400000


def dds_file(canvas, fourcc, mipmaps=False, pitch_flag=False):
    """A DDS file of one block-compressed texture, with its mip chain if asked. The
    size field holds the top level's pitch (`pitch_flag`) or its whole size."""
    levels = [canvas]
    while mipmaps and (levels[-1].width > 1 or levels[-1].height > 1):
        levels.append(levels[-1].half())
    data = []
    for level in levels:
        if level.width % 4 or level.height % 4:  # the last levels: one padded block
            padded = Canvas((level.width + 3) // 4 * 4, (level.height + 3) // 4 * 4)
            for y in range(padded.height):
                for x in range(padded.width):
                    i = (min(y, level.height - 1) * level.width + min(x, level.width - 1)) * 4
                    padded.px[(y * padded.width + x) * 4:(y * padded.width + x + 1) * 4] = \
                        level.px[i:i + 4]
            level = padded
        data.append(compress_blocks(level, fourcc))
    flags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT
    flags |= DDSD_PITCH if pitch_flag else DDSD_LINEARSIZE
    caps = DDSCAPS_TEXTURE
    if mipmaps:
        flags |= DDSD_MIPMAPCOUNT
        caps |= DDSCAPS_COMPLEX | DDSCAPS_MIPMAP
    size_field = block_pitch(canvas.width, fourcc) if pitch_flag else len(data[0])
    header = struct.pack("<4sIIIIIII44x", b"DDS ", 124, flags, canvas.height, canvas.width,
                         size_field, 0, len(levels) if mipmaps else 0)
    header += struct.pack("<II4s20x", 32, DDPF_FOURCC, fourcc.encode("ascii"))
    header += struct.pack("<I16x", caps)
    assert len(header) == 128
    return header + b"".join(data)


TGA_FOOTER = struct.pack("<II", 0, 0) + b"TRUEVISION-XFILE.\0"


def tga_file(canvas, bits, ident=b"", colour_map=None):
    """An uncompressed true-colour TGA, rows bottom-up (the format's own default
    origin), with an identification field and a colour map (entries of 24 bits, not
    used by true-colour pixels) if given, and the version 2 footer."""
    w, h = canvas.width, canvas.height
    bgra = bytearray(len(canvas.px))
    bgra[0::4], bgra[1::4] = canvas.px[2::4], canvas.px[1::4]
    bgra[2::4], bgra[3::4] = canvas.px[0::4], canvas.px[3::4]
    if bits == 24:
        pixels = bytearray(w * h * 3)
        pixels[0::3], pixels[1::3], pixels[2::3] = bgra[0::4], bgra[1::4], bgra[2::4]
    else:
        pixels = bgra
    row = w * bits // 8
    stored = b"".join(bytes(pixels[y * row:(y + 1) * row]) for y in range(h - 1, -1, -1))
    entries = b"".join(bytes(reversed(c)) for c in colour_map) if colour_map else b""
    header = struct.pack("<BBBHHBHHHHBB", len(ident), 1 if colour_map else 0, 2, 0,
                         len(colour_map or ()), 24 if colour_map else 0, 0, 0, w, h, bits,
                         8 if bits == 32 else 0)
    return header + ident + entries + stored + TGA_FOOTER


CHUNKY_MAGIC = b"Relic Chunky\r\n\x1a\0"


def chunk(kind, ident, payload, version=1, name=""):
    """One chunk of the container: FOLD chunks hold chunks, DATA chunks bytes."""
    label = name.encode("ascii") + b"\0" if name else b""
    return struct.pack("<4s4sIII", kind.encode("ascii"), ident.encode("ascii"), version,
                       len(payload), len(label)) + bytes(8) + label + payload


def chunky_file(chunks):
    return CHUNKY_MAGIC + struct.pack("<IIIII", 3, 1, 36, 28, 1) + b"".join(chunks)


def rgt_file(name, body):
    """An RGT file: the texture set, its texture and the texture's pixels (`body`)."""
    return chunky_file([chunk("FOLD", "TSET", chunk("DATA", "DATA", struct.pack("<I", 1))
                              + chunk("FOLD", "TXTR", body, name=name), name=name)])


RGT_COMPRESSION = {"DXT1": 13, "DXT3": 14, "DXT5": 15}


def rgt_dxtc(name, canvas, fourcc, deflate=True):
    """Block-compressed RGT: a 16-byte prefix then the block rows, deflated (zlib
    stream) or stored as they are (packed size = unpacked size)."""
    blocks = compress_blocks(canvas, fourcc)
    unpacked = struct.pack("<IIII", canvas.width, canvas.height, len(blocks), 0) + blocks
    packed = zlib.compress(unpacked, 9) if deflate else unpacked
    if deflate and len(packed) == len(unpacked):
        raise ValueError("deflated pixels the size of the stored ones would read as stored")
    fmt = struct.pack("<IIIII", canvas.width, canvas.height, 1, 0, RGT_COMPRESSION[fourcc])
    man = struct.pack("<III", 1, len(unpacked), len(packed))
    return rgt_file(name, chunk("FOLD", "DXTC", chunk("DATA", "TFMT", fmt)
                                + chunk("DATA", "TMAN", man) + chunk("DATA", "TDAT", packed)))


def rgt_image(name, canvas):
    """Plain RGT: B, G, R, A pixels, rows bottom-up."""
    w, h = canvas.width, canvas.height
    bgra = bytearray(len(canvas.px))
    bgra[0::4], bgra[1::4] = canvas.px[2::4], canvas.px[1::4]
    bgra[2::4], bgra[3::4] = canvas.px[0::4], canvas.px[3::4]
    rows = b"".join(bytes(bgra[y * w * 4:(y + 1) * w * 4]) for y in range(h - 1, -1, -1))
    attr = struct.pack("<III", 0, w, h)
    return rgt_file(name, chunk("FOLD", "IMAG", chunk("DATA", "ATTR", attr)
                                + chunk("DATA", "DATA", rows)))


# ---------------------------------------------------------------------------
# Textures: what goes where
# ---------------------------------------------------------------------------

# Texture requested by the main menu and shipped nowhere: the editor shows its
# placeholder.
MISSING_TEXTURE = "frontend/bastion_crest"

# Where the texture files go: a key of TEXTURE_SOURCES -> {path under art/ui/textures/
# with its extension: (how it is stored, art)}. Storage: "DXTn" (DDS), "DXTn+mips",
# "DXTn+pitch", "tga24", "tga32", each optionally "+id" (identification field) and
# "+map" (a colour map to skip), "rgt:DXTn" (deflated), "rgt:DXTn:stored", "rgt:image".
def texture_plan():
    states = ("normal", "hover", "pressed", "disabled")
    engine_sga, engine_data, common, art_sga, screens_sga = {}, {}, {}, {}, {}
    for state in states:
        engine_sga["common/button_%s.dds" % state] = (
            "DXT5", lambda s=state: button_art(256, 64, 14, BUTTON_FACE, BRONZE, s))
        engine_sga["common/small_button_%s.dds" % state] = (
            "DXT3", lambda s=state: button_art(128, 32, 8, BUTTON_FACE, BRONZE_DARK, s))
        engine_sga["frontend/menu_plate_%s.dds" % state] = (
            "DXT5", lambda s=state: button_art(256, 64, 6, MENU_FACE, BRONZE_DARK, s, True))
    engine_sga["common/small_button_glow.dds"] = ("DXT4", lambda: glow_art(128, 32, EMBER))
    for on in (False, True):
        for state in states:
            suffix = ("on" if on else "off") + ("" if state == "normal" else "_" + state)
            storage = "tga32+id+map" if (on and state == "normal") else "tga32"
            engine_sga["common/radio_%s.tga" % suffix] = (
                storage, lambda o=on, s=state: toggle_art("radio", o, s))
            if suffix == "off_disabled":
                # Asked for as .tga; only the .dds sibling exists, and is found.
                engine_data["common/checkbox_off_disabled.dds"] = (
                    "DXT5", lambda: toggle_art("checkbox", False, "disabled"))
            else:
                engine_data["common/checkbox_%s.tga" % suffix] = (
                    "tga32", lambda o=on, s=state: toggle_art("checkbox", o, s))
    engine_data["common/dialog_back.rgt"] = ("rgt:DXT1", lambda: panel_art(256))
    engine_data["common/dialog_corner.tga"] = ("tga32+id+map", corner_art)
    engine_data["common/progress_fill.rgt"] = ("rgt:DXT5:stored",
                                               lambda: bar_fill_art(256, 32, True))
    engine_data["common/slider_arrow.tga"] = ("tga32", lambda: arrow_art(64, 64, "left",
                                                                         "normal"))
    engine_data["common/slider_arrow_hover.tga"] = ("tga32", lambda: arrow_art(64, 64, "left",
                                                                               "hover"))
    for suffix, state in (("", "normal"), ("_hover", "hover"), ("_pressed", "pressed")):
        engine_sga["common/dropdown_arrow%s.rgt" % suffix] = (
            "rgt:image", lambda s=state: arrow_art(64, 64, "down", s))
        engine_sga["common/scroll_arrow%s.dds" % suffix] = (
            "DXT4", lambda s=state: arrow_art(64, 64, "up", s))
    engine_sga["common/ready_off.dds"] = ("DXT1", lambda: ready_art(False))
    engine_sga["common/ready_on.dds"] = ("DXT1+mips", lambda: ready_art(True))
    engine_sga["common/scroll_thumb.dds"] = ("DXT3", lambda: thumb_art(False))
    engine_sga["common/scroll_thumb_hover.dds"] = ("DXT3", lambda: thumb_art(True))
    engine_sga["common/scroll_track.rgt"] = ("rgt:image", track_art)
    engine_sga["common/slider_back.dds"] = ("DXT1+pitch", lambda: groove_art(256, 32))
    engine_sga["common/slider_fill.rgt"] = ("rgt:DXT3", lambda: bar_fill_art(256, 32, False))
    engine_sga["common/slider_thumb.dds"] = (
        "DXT5", lambda: button_art(32, 64, 6, BUTTON_FACE, BRONZE, "normal"))
    engine_sga["frontend/background_wall.dds"] = ("DXT1", lambda: wall_art(256, 256))
    engine_sga["frontend/vignette.tga"] = ("tga32", lambda: vignette_art(128))
    for suffix, state in (("", "normal"), ("_hover", "hover"), ("_pressed", "pressed")):
        engine_sga["frontend/tab%s.dds" % suffix] = (
            "DXT1", lambda s=state: tab_art(s, TAB_FACE))
    engine_sga["frontend/tab_selected.dds"] = ("DXT5", lambda: tab_art("normal", MENU_FACE))
    # Never shown: the path has no extension, so the .dds candidate in Engine.sga is
    # found before this .tga of an earlier source is tried.
    common["frontend/tab_selected.tga"] = ("tga32", lambda: tab_art("hover", MENU_FACE))
    art_sga["common/kick.dds"] = ("DXT2", kick_art)
    art_sga["frontend/logo.dds"] = ("DXT5", logo_art)
    art_sga["maps/border_road_preview.tga"] = ("tga24+id+map", lambda: map_art(128))
    screens_sga["loading/bastion_keep.tga"] = ("tga24+id", lambda: keep_art(256, 192))
    for index in range(24):
        screens_sga["stress/tile_%02d.dds" % index] = ("DXT1", lambda i=index: stress_tile_art(i))
    return {"engine-data": engine_data, "engine-sga": engine_sga, "bastion-common": common,
            "bastion-art-sga": art_sga, "bastion-screens-sga": screens_sga}


def tab_art(state, face):
    """A tab: a plate with rounded top corners, its bottom edge open."""
    canvas = Canvas(128, 32)
    plate(canvas, 0, 0, 128, 36, 8, face, BRONZE, state, bottom=False)
    return canvas


# A colour map that true-colour pixels do not use: the reader must skip it.
UNUSED_COLOUR_MAP = [(i * 16, 255 - i * 16, (i * 97) % 256) for i in range(16)]


def texture_file(path, storage, canvas):
    """The bytes of one texture file."""
    name = TEXTURES + path.rpartition(".")[0]
    parts = storage.split(":") if storage.startswith("rgt:") else storage.split("+")
    if parts[0] == "rgt":
        if parts[1] == "image":
            return rgt_image(name, canvas)
        return rgt_dxtc(name, canvas, parts[1], deflate="stored" not in parts)
    if parts[0] in ("tga24", "tga32"):
        ident = ("%s, sample art" % name).encode("ascii") if "id" in parts else b""
        return tga_file(canvas, int(parts[0][3:]), ident,
                        UNUSED_COLOUR_MAP if "map" in parts else None)
    return dds_file(canvas, parts[0], mipmaps="mips" in parts, pitch_flag="pitch" in parts)


def texture_trees():
    """Source key -> {file path: bytes} of every texture of the sample."""
    trees = {}
    for key, plan in texture_plan().items():
        trees[key] = {TEXTURES + path: texture_file(path, storage, make())
                      for path, (storage, make) in sorted(plan.items())}
    return trees


# ---------------------------------------------------------------------------
# Fonts
# ---------------------------------------------------------------------------

# TrueType files copied from the build machine when it has them (never part of the
# project): name in the sample -> where to find it. Missing ones are left out.
FONT_FILES = [
    ("engine-data", "DejaVuSans.ttf", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"),
    # The suffix in capitals: the font folder takes .ttf in any letter case.
    ("engine-data", "DejaVuSans-Bold.TTF",
     "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"),
    ("engine-data", "tahoma.ttf", "/usr/share/wine/fonts/tahoma.ttf"),
    ("engine-data", "tahomabd.ttf", "/usr/share/wine/fonts/tahomabd.ttf"),
    # From the archive: title fonts come with the engine's packed data.
    ("engine-sga", "dejavuserif.ttf", "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf"),
]

# Font descriptions: source key, short name, face, sizeDefault (None: absent), sizes
# by screen width.
FONT_DESCRIPTIONS = [
    ("engine-data", "gillsans_16", "DejaVu Sans Book", 16,
     [(800, 13), (1024, 16), (1280, 20), (1600, 24)]),
    ("engine-data", "gillsans_11", "DejaVu Sans Book", 11,
     [(800, 9), (1024, 11), (1280, 14), (1600, 17)]),
    ("engine-data", "gillsans_bold_16", "DejaVu Sans Bold", 16,
     [(800, 13), (1024, 16), (1280, 20)]),
    ("engine-sga", "engravers_24", "DejaVu Serif Book", 24,
     [(800, 19), (1024, 24), (1280, 30), (1600, 36)]),
    # No sizes by width: the same size on every screen.
    ("engine-sga", "engravers_32", "DejaVu Serif Book", 32, []),
    # A face the game's font folder does not have, and no sizeDefault (12).
    ("engine-data", "copperplate_11", "Copperplate Gothic", None, [(1024, 11), (1280, 14)]),
]


def font_description(name, face, default, sizes):
    lines = ["-- %s: font description of the sample installation." % name,
             "font =", "{", "\tname = %s," % _lua_string(face)]
    if default is not None:
        lines.append("\tsizeDefault = %d," % default)
    lines += ["\tsize%d = %d," % size for size in sizes]
    lines.append("}")
    return crlf("\n".join(lines) + "\n")


def font_trees():
    """Source key -> {file path: bytes}: descriptions, fonts found on this machine, and
    files that are neither (left alone by the font loader)."""
    trees = {"engine-data": {}, "engine-sga": {}}
    for key, name, face, default, sizes in FONT_DESCRIPTIONS:
        trees[key]["font/%s.fnt" % name] = font_description(name, face, default, sizes)
    for key, name, origin in FONT_FILES:
        try:
            with open(origin, "rb") as handle:
                trees[key]["font/" + name] = handle.read()
        except OSError:
            pass
    trees["engine-data"]["font/readme.txt"] = crlf(
        "Fonts of the game's screens. Only .ttf files are fonts; the .fnt descriptions\n"
        "name a face and its sizes for each screen width.\n")
    trees["engine-data"]["font/dejavusans.ttf.bak"] = crlf("An old copy, not a font.\n")
    return trees


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
    "ingamemenuscreen.screen", "teamselectscreen.screen", STRESS_SCREEN,
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


def screens_tree(names, origin, folder, bodies):
    return {folder + "/" + name: screen_script(name, origin, bodies) for name in names}


def build_installation():
    inst = Installation()
    bodies = screen_bodies()
    textures = texture_trees()
    fonts = font_trees()
    inst.add("Bastion.module", crlf(MAIN_MODULE))
    inst.add("Frontier.module", crlf(PARENT_MODULE))
    inst.add("Armoury.module", crlf(REQUIRED_MODULE))

    # --- Bastion (main module) ---
    tree = screens_tree(SCREENS_LOOSE_ONLY + SCREENS_IN_BOTH, "Bastion\\Data (loose)",
                        "Art/UI/Screens", bodies)
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
    tree.update(textures["bastion-common"])
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
    tree.update(textures["bastion-art-sga"])
    inst.add_source(tree, "Bastion\\Archives\\BastionArt.sga", "bastion-art-sga")
    inst.add_archive("Bastion/Archives/BastionArt.sga", 2, tree)

    tree = screens_tree(SCREENS_PATCH_FOLDER, "Bastion\\Patch (loose)", "Art/UI/Screens",
                        bodies)
    inst.add_source(tree, "Bastion\\Patch\\", "bastion-patch")
    inst.add_folder("Bastion/Patch", tree)

    tree = screens_tree(SCREENS_PATCH_ARCHIVE, "Bastion\\Archives\\BastionPatch.sga",
                        "art/ui/screens", bodies)
    tree["patch.txt"] = crlf("Patch 1.1: fixes the reinforcement panel.\n")
    inst.add_source(tree, "Bastion\\Archives\\BastionPatch.sga", "bastion-patch-sga")
    inst.add_archive("Bastion/Archives/BastionPatch.sga", 4, tree)

    tree = screens_tree(SCREENS_IN_BOTH + SCREENS_ARCHIVE_ONLY,
                        "Bastion\\BastionScreens.sga", "art/ui/screens", bodies)
    tree["art/ui/screens/readme.txt"] = long_text("Bastion screens", [
        "Screens that are also present as loose files in Bastion\\Data are read from "
        "the loose copy: the module's data folders come before its archives."] * 5)
    tree["art/ui/textures/screens/background.bin"] = noise("bastion background", 5000)
    tree.update(textures["bastion-screens-sga"])
    inst.add_source(tree, "Bastion\\BastionScreens.sga", "bastion-screens-sga")
    inst.add_archive("Bastion/BastionScreens.sga", 4, tree)

    # Named by the main module but unusable: cut off inside its header, so opening
    # it fails ("file is too small"); BastionVoices.sga is not written at all.
    inst.add("Bastion/BastionBroken.sga",
             build_sga(4, "BastionBroken", {"broken.txt": b"never read\r\n"})[:150])

    for locale, pick in (("english", 0), ("french", 1)):
        inst.add("Bastion/Locale/%s/bastion.ucs" % locale, build_ucs(bastion_strings(pick)))

    # --- Armoury (required module) ---
    tree = screens_tree(SCREENS_ARMOURY, "Armoury\\Armoury.sga", "art/ui/screens", bodies)
    tree["art/ui/styles/armoury.styles"] = style_sheet("armoury.styles", "Armoury\\Armoury.sga")
    inst.add_source(tree, "Armoury\\Armoury.sga", "armoury-sga")
    inst.add_archive("Armoury/Armoury.sga", 4, tree)

    # --- Frontier (parent module) ---
    tree = screens_tree(SCREENS_FRONTIER_FOLDER, "Frontier\\Data (loose)", "Art/UI/Screens",
                        bodies)
    tree.update(defect_tree())
    inst.add_source(tree, "Frontier\\Data\\", "frontier-data")
    inst.add_folder("Frontier/Data", tree)

    tree = screens_tree(SCREENS_FRONTIER_ARCHIVE, "Frontier\\Frontier.sga", "art/ui/screens",
                        bodies)
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
        "art/ui/styles/uistyles.styles": style_sheet("uistyles.styles", "Engine\\Data",
                                                     ui_styles(older=False)),
    }
    tree.update(textures["engine-data"])
    tree.update(fonts["engine-data"])
    inst.add_source(tree, "Engine\\Data\\", "engine-data")
    inst.add_folder("Engine/Data", tree)

    tree = {
        "art/ui/styles/colourtable.colours": colour_table("Engine\\Engine.sga", (90, 90, 90)),
        "art/ui/styles/frontend.styles": style_sheet("frontend.styles", "Engine\\Engine.sga",
                                                     frontend_styles()),
        "art/ui/styles/uistyles.styles": style_sheet("uistyles.styles", "Engine\\Engine.sga",
                                                     ui_styles(older=True)),
        "art/ui/textures/noise.bin": noise("engine noise", 4096),
        "engine.txt": long_text("Engine data", [
            "The engine archive comes last in every mod's file system: any module may "
            "override what it holds by a file of the same path."] * 8),
    }
    tree.update(textures["engine-sga"])
    tree.update(fonts["engine-sga"])
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
