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


# --- style sheets --------------------------------------------------------------------

def _button_art(folder, stem, font, glow=False):
    """Art of a text button: one picture per state, the text coloured by state."""
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
              position=[0.004, 0.004]),
        label(["Disabled"], font, "menu_text_disabled", horzAlign="Centre", multiline=False),
    ]
    return art(*items)


def _toggle_art(stem, box_width):
    """Check boxes and radio buttons: a box on the left in all eight states, then text."""
    box = dict(position=[0, 0.1], size=[box_width, 0.8])
    return art(
        graphic("common/%s_off.tga" % stem, ["Normal"], **box),
        graphic("common/%s_off_hover.tga" % stem, ["Hover"], **box),
        graphic("common/%s_off_pressed.tga" % stem, ["Active"], **box),
        graphic("common/%s_off_disabled.tga" % stem, ["Disabled"], **box),
        graphic("common/%s_on.tga" % stem, ["Checked"], **box),
        graphic("common/%s_on_hover.tga" % stem, ["CheckedHover"], **box),
        graphic("common/%s_on_pressed.tga" % stem, ["CheckedActive"], **box),
        graphic("common/%s_on_disabled.tga" % stem, ["CheckedDisabled"], **box),
        label(PRESSABLE + CHECKED, position=[box_width + 0.04, 0],
              size=[0.96 - box_width, 1], multiline=False),
        label(["Disabled", "CheckedDisabled"], top="menu_text_disabled",
              position=[box_width + 0.04, 0], size=[0.96 - box_width, 1], multiline=False),
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


def _scroll_button(name, position, size, flip):
    fields = {"flipVertical": True} if flip else {}
    return widget("Button", name, position=position, size=size, Presentation=art(
        graphic("common/scroll_arrow", ["Normal", "Disabled"], **fields),
        graphic("common/scroll_arrow_hover", ["Hover"], **fields),
        graphic("common/scroll_arrow_pressed", ["Active"], **fields)))


def _list_parts(item_font, scroll_x):
    return dict(
        ItemsGroup=widget("Group", "Items", size=[scroll_x, 1]),
        ItemTemplate=widget("TextLabel", "ItemTemplate", visible=False, size=[scroll_x, 0.1],
                            Presentation=art(
                                rect("list_highlight", ["Hover"]),
                                label(IDLE, item_font, "body_text", multiline=False,
                                      position=[0.02, 0], size=[0.96, 1]))),
        ScrollBar=widget("ScrollBar", "ScrollBar", style=["UIStyles", "VerticalScrollBar"],
                         position=[scroll_x, 0], size=[1 - scroll_x, 1]),
    )


def ui_styles(older):
    """The engine's general sheet (UIStyles). The copy in Engine.sga is an older
    revision, shadowed by the one in Engine\\Data, without the styles added since."""
    frame = art(rect("list_fill"), rect("panel_border", border=True))
    styles = [
        style("MenuButton", "Button", size=[0.26, 0.055],
              Presentation=_button_art("common", "button", "gillsans_16")),
        style("SmallButton", "Button", size=[0.14, 0.045],
              Presentation=_button_art("common", "small_button", "gillsans_11", glow=True)),
        style("CheckBox", "CheckButton", size=[0.3, 0.04],
              Presentation=_toggle_art("checkbox", 0.12)),
        style("RadioButton", "RadioButton", size=[0.2, 0.04],
              Presentation=_toggle_art("radio", 0.25)),
        style("Title", "TextLabel", size=[0.6, 0.06], Presentation=art(
            label(font="engravers_24", top="title_gold", bottom="title_gold_dark",
                  dropShadow=True, multiline=False))),
        style("Body", "TextLabel", size=[0.5, 0.2], Presentation=art(
            label(font="gillsans_11", top="body_text", vertAlign="Top"))),
        style("Tooltip", "TextLabel", size=[0.3, 0.08], Presentation=art(
            rect("tooltip_fill"), rect("tooltip_border", border=True),
            label(font="gillsans_11", top="white", position=[0.03, 0.05], size=[0.94, 0.9]))),
        style("DialogFrame", "ArtLabel", size=[1, 1], Presentation=art(
            graphic("common/dialog_back", colour=[255, 255, 255, 230]),
            graphic("common/dialog_corner.tga", size=[0.08, 0.1]),
            graphic("common/dialog_corner.tga", position=[0.92, 0], size=[0.08, 0.1],
                    flipHorizontal=True),
            graphic("common/dialog_corner.tga", position=[0, 0.9], size=[0.08, 0.1],
                    flipVertical=True),
            graphic("common/dialog_corner.tga", position=[0.92, 0.9], size=[0.08, 0.1],
                    flipHorizontal=True, flipVertical=True),
            rect("panel_border", border=True))),
        style("EditBox", "EditText", size=[0.3, 0.045], Presentation=art(
            rect("edit_fill"), rect("panel_border", border=True),
            rect("menu_text_hover", ["Hover"], border=True),
            label(font="gillsans_11", top="white", multiline=False,
                  position=[0.02, 0], size=[0.96, 1]))),
        style("VerticalScrollBar", "ScrollBar", size=[0.02, 0.3], range=[0, 1],
              Presentation=art(graphic("common/scroll_track", size=[1, 1])),
              ButtonDecrement=_scroll_button("ScrollUp", [0, 0], [1, 0.08], False),
              ButtonTrack=widget("Button", "ScrollThumb", position=[0, 0.08], size=[1, 0.2],
                                 Presentation=art(
                                     graphic("common/scroll_thumb", ["Normal", "Disabled"]),
                                     graphic("common/scroll_thumb_hover", ["Hover", "Active"]))),
              ButtonIncrement=_scroll_button("ScrollDown", [0, 0.92], [1, 0.08], True)),
        style("ListBox", "TextListBox", size=[0.3, 0.4], Presentation=frame,
              **_list_parts("gillsans_11", 0.94)),
        style("DropDownList", "TextListBox", size=[1, 5], Presentation=art(
            rect("panel_fill"), rect("panel_border", border=True)),
            **_list_parts("gillsans_11", 0.9)),
        style("DropDown", "ComboBox", size=[0.24, 0.04], Presentation=art(
            rect("edit_fill"), rect("panel_border", border=True)),
            ListBox=widget("TextListBox", "List", style=["UIStyles", "DropDownList"],
                           visible=False, position=[0, 1]),
            Label=widget("TextLabel", "Selection", position=[0.04, 0], size=[0.8, 1],
                         text="Random", Presentation=art(
                             label(font="gillsans_11", multiline=False))),
            ArrowButton=widget("Button", "Arrow", position=[0.86, 0.1], size=[0.12, 0.8],
                               Presentation=art(
                                   graphic("common/dropdown_arrow", ["Normal"]),
                                   graphic("common/dropdown_arrow_hover", ["Hover"]),
                                   graphic("common/dropdown_arrow_pressed", ["Active"]),
                                   graphic("common/dropdown_arrow", ["Disabled"],
                                           colour=[255, 255, 255, 100])))),
        style("LoadingBar", "ProgressBar", size=[0.6, 0.025], range=[0, 100], stepSize=1,
              Presentation=art(rect("progress_back"), rect("panel_border", border=True)),
              Progress=widget("ArtLabel", "Progress", position=[0.005, 0.1],
                              size=[0.99, 0.8], Presentation=art(
                                  graphic("common/progress_fill", colour="progress_fill")))),
    ]
    if not older:
        styles += [
            style("VolumeSlider", "ProgressBar", size=[0.3, 0.03], range=[0, 100], stepSize=5,
                  Presentation=art(graphic("common/slider_back"),
                                   line("separator", [0, 0.5], [1, 0.5])),
                  Progress=widget("ArtLabel", "Level", size=[1, 1], Presentation=art(
                      graphic("common/slider_fill", colour="accent")))),
            style("PlayerList", "CustomListBox", size=[0.6, 0.4], maxItems=8,
                  Presentation=frame,
                  ItemsGroup=widget("Group", "Rows", size=[0.95, 1]),
                  ItemTemplate=widget("CustomListBoxItem", "RowTemplate", visible=False,
                                      size=[0.95, 0.11], Presentation=art(rect("list_row")),
                                      Children=[
                                          widget("TextLabel", "PlayerName", size=[0.4, 1],
                                                 Presentation=art(label(multiline=False))),
                                          widget("CheckButton", "Ready",
                                                 position=[0.84, 0.1], size=[0.06, 0.8],
                                                 Presentation=_ready_box_art()),
                                      ]),
                  ScrollBar=widget("ScrollBar", "ScrollBar",
                                   style=["UIStyles", "VerticalScrollBar"],
                                   position=[0.96, 0], size=[0.04, 1])),
        ]
    return styles


def frontend_styles():
    """The front end's own sheet (Frontend). MenuButton and Title are also in UIStyles:
    a widget names the sheet, so both stay reachable."""
    return [
        style("MenuButton", "Button", size=[0.3, 0.06],
              Presentation=_button_art("frontend", "menu_plate", "gillsans_bold_16")),
        style("Title", "TextLabel", size=[0.4, 0.07], Presentation=art(
            label(font="engravers_32", top="title_gold", bottom="title_gold_dark",
                  dropShadow=True, multiline=False, vertAlign="Bottom"))),
        # Numbered so that the front end's code can swap the wall picture per campaign.
        style("Background", "ArtLabel", size=[1, 1], Presentation=art(
            graphic("frontend/background_wall", id=1, size=[1, 1]),
            graphic("frontend/vignette.tga", id=2, colour=[255, 255, 255, 180]),
            line("accent", [0, 0.995], [1, 0.995]))),
        style("TabButton", "RadioButton", size=[0.22, 0.07], Presentation=art(
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
    body = lua_expr({"Styles": list(styles)})
    return crlf("-- %s: style sheet of the sample installation (from %s).\n"
                "StyleSheet = %s\n" % (name, origin, body))


# --- screens -------------------------------------------------------------------------

def tooltip_layer(group, name, position, size):
    """Screen.TooltipWidgets: one label that hovered widgets fill with their tooltip."""
    return widget("Group", group, Children=[
        widget("TextLabel", name, style=["UIStyles", "Tooltip"], position=position, size=size)])


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
                              position=[0.07, 0.4 + 0.068 * index], buttonType="ClickOnRelease",
                              text=ref(text), tooltip_text=ref(tooltip), tooltip_name=tip,
                              **fields))
    return {
        "TooltipWidgets": tooltip_layer("MainMenuTooltips", tip, [0.44, 0.8], [0.5, 0.075]),
        "Widgets": widget("Group", "MainMenu", Children=[
            widget("ArtLabel", "Background", style=["Frontend", "Background"]),
            widget("Swf", "Logo", style=["Frontend", "LogoMovie"], position=[0.05, 0.04]),
            widget("ArtLabel", "MenuPanel", position=[0.05, 0.3], size=[0.34, 0.6],
                   Presentation=art(rect("panel_fill"), rect("panel_border", border=True),
                                    line("accent", [0.06, 0.1], [0.94, 0.1]))),
            widget("TextLabel", "MenuTitle", style=["Frontend", "Title"], position=[0.07, 0.31],
                   size=[0.3, 0.06], text=ref("Main menu")),
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
            widget("Group", "PatchNotice", position=[0.55, 0.52], size=[0.4, 0.24],
                   visible=False, Children=[
                       widget("ArtLabel", "PatchFrame", style=["UIStyles", "DialogFrame"]),
                       widget("TextLabel", "PatchText", style=["UIStyles", "Body"],
                              position=[0.06, 0.1], size=[0.88, 0.5], text=ref(327)),
                       widget("Button", "DownloadPatchButton", style=["UIStyles", "SmallButton"],
                              position=[0.3, 0.68], size=[0.4, 0.2],
                              text=ref("Download patch")),
                   ]),
            widget("Custom", "NewsTicker", style=["Frontend", "NewsTicker"],
                   position=[0.05, 0.915], customProperties="feed=frontend_news;speed=40;loop=1"),
            text_label("VersionLabel", "Bastion 1.1", [0.7, 0.96], [0.28, 0.03],
                       font="gillsans_11", top="menu_text_disabled", horzAlign="Right",
                       multiline=False),
        ]),
    }


def _choice_row(prefix, caption, y, labels, tooltip, tip):
    """A caption and a run of radio buttons: the caption of the next row ends the run,
    so each row is a group of its own."""
    row = [text_label(prefix + "Label", ref(caption), [0, y], [0.4, 0.08], multiline=False)]
    for index, text in enumerate(labels):
        row.append(widget("RadioButton", "%s%s" % (prefix, text), style=["UIStyles", "RadioButton"],
                          position=[0.45 + 0.18 * index, y], size=[0.17, 0.08], text=ref(text),
                          tooltip_text=ref(tooltip), tooltip_name=tip))
    return row


def options_screen():
    tip = "OptionsTooltip"
    page = dict(position=[0.04, 0.2], size=[0.92, 0.64])
    graphics = [
        text_label("ResolutionLabel", ref("Screen resolution"), [0, 0], [0.4, 0.08],
                   multiline=False),
        # Arrow and list from the style; the label is the screen's own.
        widget("ComboBox", "ResolutionChoice", style=["UIStyles", "DropDown"],
               position=[0.45, 0.01], size=[0.5, 0.07],
               Label=text_label("ResolutionValue", "1024 x 768", [0.04, 0], [0.8, 1],
                                font="gillsans_11", multiline=False)),
    ]
    graphics += _choice_row("Texture", "Texture detail", 0.12, ["Low", "Medium", "High"], 313, tip)
    graphics += _choice_row("Shadows", "Shadows", 0.24, ["Low", "Medium", "High"], 314, tip)
    graphics += [
        widget("CheckButton", "SubtitlesCheck", style=["UIStyles", "CheckBox"],
               position=[0, 0.38], size=[0.5, 0.08], text=ref("Subtitles"),
               tooltip_text=ref(312), tooltip_name=tip),
        widget("CheckButton", "VSyncCheck", style=["UIStyles", "CheckBox"],
               position=[0, 0.48], size=[0.5, 0.08], enabled=False, text="Vertical sync"),
        text_label("GameSpeedLabel", ref("Game speed"), [0, 0.62], [0.4, 0.08], multiline=False),
        widget("ComboBox", "GameSpeedChoice", style=["UIStyles", "DropDown"],
               position=[0.45, 0.63], size=[0.5, 0.07], tooltip_text=ref(311),
               tooltip_name=tip),
    ]
    sound = []
    for index, (name, text) in enumerate([("Music", "Music volume"),
                                          ("Effects", "Effects volume"),
                                          ("Speech", "Speech volume")]):
        y = 0.05 + 0.14 * index
        sound.append(text_label(name + "Label", ref(text), [0, y], [0.4, 0.08], multiline=False))
        fields = {"range": [0, 10], "stepSize": 1} if name == "Speech" else {}
        sound.append(widget("ProgressBar", name + "Volume", style=["UIStyles", "VolumeSlider"],
                            position=[0.45, y + 0.015], size=[0.5, 0.05], **fields))
    bindings = [("Attack move", "A"), ("Hold position", "H"), ("Retreat", "R"),
                ("Reinforce", "E"), ("Select all army", "Ctrl+A"), ("Pause", "P")]
    rows = [text_label("Binding%d" % (index + 1), "%-24s%s" % binding,
                       [0, 0.1 * index], [1, 0.1], font="gillsans_11", top="body_text",
                       multiline=False)
            for index, binding in enumerate(bindings)]
    arrow = dict(Presentation=art(graphic("common/slider_arrow", BUTTON),
                                  graphic("common/slider_arrow_hover", ["Hover", "Active"])))
    controls = [
        widget("TextListBox", "KeyBindings", style=["UIStyles", "ListBox"], size=[0.95, 0.7],
               ItemsGroup=widget("Group", "Items", size=[0.94, 1], Children=rows)),
        text_label("ScrollSpeedLabel", "Scroll speed", [0, 0.78], [0.4, 0.08], multiline=False),
        # A scroll bar used as a slider, with parts of its own (no style).
        widget("ScrollBar", "ScrollSpeed", position=[0.45, 0.79], size=[0.5, 0.06],
               range=[1, 10], Presentation=art(graphic("common/slider_back"),
                                               rect("panel_border", border=True)),
               ButtonDecrement=widget("Button", "Slower", size=[0.08, 1], **arrow),
               ButtonTrack=widget("Button", "Thumb", position=[0.4, 0], size=[0.1, 1],
                                  Presentation=art(graphic("common/slider_thumb", BUTTON))),
               ButtonIncrement=widget("Button", "Faster", position=[0.92, 0], size=[0.08, 1],
                                      Presentation=art(
                                          graphic("common/slider_arrow", BUTTON,
                                                  flipHorizontal=True),
                                          graphic("common/slider_arrow_hover",
                                                  ["Hover", "Active"], flipHorizontal=True)))),
    ]
    tabs = [widget("RadioButton", name + "Tab", style=["Frontend", "TabButton"],
                   position=[0.04 + 0.23 * index, 0.1], buttonType="ClickOnPress", text=ref(text))
            for index, (name, text) in enumerate([("Graphics", "Graphics"), ("Sound", "Sound"),
                                                  ("Controls", "Controls")])]
    buttons = [widget("Button", name, style=["UIStyles", "SmallButton"],
                      position=[x, 0.88], size=[0.18, 0.07], text=ref(text), **fields)
               for name, text, x, fields in [("AcceptButton", "Accept", 0.38, {}),
                                             ("ApplyButton", "Apply", 0.58, {"enabled": False}),
                                             ("CancelButton", "Cancel", 0.78, {})]]
    return {
        "TooltipWidgets": tooltip_layer("OptionsTooltips", tip, [0.12, 0.93], [0.76, 0.06]),
        "Widgets": widget("Group", "OptionsScreen", Children=[
            widget("ArtLabel", "Dim", Presentation=art(rect("dialog_dim"))),
            widget("Group", "OptionsDialog", position=[0.12, 0.08], size=[0.76, 0.84],
                   Children=[
                       widget("ArtLabel", "Frame", style=["UIStyles", "DialogFrame"]),
                       widget("TextLabel", "Title", style=["UIStyles", "Title"],
                              position=[0.04, 0.02], size=[0.6, 0.07], text=ref("Options")),
                   ] + tabs + [
                       widget("ArtLabel", "TabRule", position=[0.04, 0.17], size=[0.92, 0.01],
                              Presentation=art(line("separator", [0, 0.5], [1, 0.5]))),
                       widget("Group", "GraphicsPage", Children=graphics, **page),
                       widget("Group", "SoundPage", visible=False, Children=sound, **page),
                       widget("Group", "ControlsPage", visible=False, Children=controls, **page),
                   ] + buttons),
        ]),
    }


RACES = ["Northern Legion", "Free Companies", "Iron Covenant", "Random"]


def _combo(name, value, position, size, **fields):
    return widget("ComboBox", name, style=["UIStyles", "DropDown"], position=position, size=size,
                  Label=text_label(name + "Value", value, [0.04, 0], [0.8, 1],
                                   font="gillsans_11", multiline=False), **fields)


def _player_row(index, player, race, team, ready, tip):
    n = index + 1
    others = {"enabled": False} if index else {}
    host = {} if index else {"visible": False}
    return widget("CustomListBoxItem", "PlayerRow%d" % n, position=[0, 0.02 + 0.125 * index],
                  size=[1, 0.11], Presentation=art(rect("list_row"),
                                                   rect("list_highlight", ["Hover"])),
                  Children=[
                      text_label("PlayerName%d" % n, player, [0.02, 0], [0.34, 1],
                                 multiline=False, top="ready" if ready else "menu_text"),
                      _combo("RaceChoice%d" % n, race, [0.38, 0.1], [0.28, 0.8]),
                      _combo("TeamChoice%d" % n, "%d" % team, [0.68, 0.1], [0.14, 0.8]),
                      # Only the local player's box can be ticked; the host cannot kick
                      # himself.
                      widget("CheckButton", "ReadyCheck%d" % n, position=[0.84, 0.1],
                             size=[0.06, 0.8], Presentation=_ready_box_art(), **others),
                      widget("Button", "KickButton%d" % n, position=[0.92, 0.15],
                             size=[0.05, 0.7], wantAlternate=True, **host,
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
    # Over the columns of the rows: the list is 0.6 wide, its rows 95 % of that.
    headers = [("Player", 0.05, 0.19), ("Race", 0.257, 0.16), ("Team", 0.428, 0.08),
               ("Ready", 0.515, 0.08)]
    return {
        "TooltipWidgets": tooltip_layer("LobbyTooltips", tip, [0.68, 0.72], [0.29, 0.1]),
        "Widgets": widget("Group", "Lobby", Children=[
            widget("ArtLabel", "Background", style=["Frontend", "Background"]),
            widget("TextLabel", "Title", style=["Frontend", "Title"], position=[0.03, 0.02],
                   text=ref("Lobby")),
            widget("ArtLabel", "PlayersPanel", position=[0.03, 0.11], size=[0.62, 0.46],
                   Presentation=art(rect("panel_fill"), rect("panel_border", border=True))),
        ] + [text_label("Header" + text, ref(text), [x, 0.115], [w, 0.035],
                        font="gillsans_11", top="title_gold", multiline=False)
             for text, x, w in headers] + [
            # Rows written into the list so the preview shows a full game; the template,
            # the scroll bar, the frame and maxItems come from the style.
            widget("CustomListBox", "PlayerList", style=["UIStyles", "PlayerList"],
                   position=[0.04, 0.155], size=[0.6, 0.4],
                   ItemsGroup=widget("Group", "Rows", size=[0.95, 1], Children=[
                       _player_row(index, *player, tip=tip)
                       for index, player in enumerate(players)])),
            widget("ArtLabel", "ChatPanel", position=[0.03, 0.6], size=[0.62, 0.37],
                   Presentation=art(rect("panel_fill"), rect("panel_border", border=True))),
            widget("TextListBox", "ChatHistory", style=["UIStyles", "ListBox"],
                   position=[0.04, 0.61], size=[0.6, 0.29],
                   ItemsGroup=widget("Group", "Lines", size=[0.94, 1], Children=[
                       text_label("ChatLine%d" % (index + 1), text, [0.01, 0.08 * index],
                                  [0.98, 0.08], font="gillsans_11",
                                  top="chat_system" if text.startswith("*") else "chat_text",
                                  multiline=False)
                       for index, text in enumerate(chat)])),
            widget("EditText", "ChatInput", style=["UIStyles", "EditBox"], position=[0.04, 0.915],
                   size=[0.45, 0.045]),
            widget("Button", "SendButton", style=["UIStyles", "SmallButton"],
                   position=[0.5, 0.915], text=ref("Send")),
            text_label("MapCaption", ref("Map"), [0.68, 0.11], [0.29, 0.035],
                       font="gillsans_11", top="title_gold", multiline=False),
            _combo("MapChoice", "The Border Road (4)", [0.68, 0.15], [0.29, 0.04]),
            widget("ArtLabel", "MapPreview", position=[0.68, 0.21], size=[0.29, 0.3],
                   Presentation=art(graphic("maps/border_road_preview", size=[1, 1]),
                                    # No alpha written: the game reads it as 1 of 255,
                                    # so the hover tint is all but invisible.
                                    rect([255, 240, 200], ["Hover"]),
                                    rect("panel_border", border=True))),
            text_label("SpeedCaption", ref("Game speed"), [0.68, 0.53], [0.14, 0.04],
                       font="gillsans_11", multiline=False),
            _combo("SpeedChoice", ref("Normal"), [0.83, 0.53], [0.14, 0.04]),
            widget("CheckButton", "ReadyToggle", style=["UIStyles", "CheckBox"],
                   position=[0.68, 0.6], size=[0.29, 0.045], text=ref("Ready"),
                   tooltip_text=ref(315), tooltip_name=tip),
            widget("Button", "InviteButton", style=["UIStyles", "MenuButton"],
                   position=[0.68, 0.66], size=[0.29, 0.05], text=ref("Invite friend"),
                   tooltip_text=ref(317), tooltip_name=tip),
            widget("Button", "StartButton", style=["Frontend", "MenuButton"],
                   position=[0.68, 0.83], size=[0.29, 0.06], enabled=False,
                   text=ref("Start game")),
            widget("Button", "BackButton", style=["UIStyles", "MenuButton"],
                   position=[0.68, 0.91], size=[0.29, 0.05], text=ref("Back")),
            text_label("ConnectionLost", ref(328), [0.2, 0.45], [0.6, 0.1], visible=False,
                       font="gillsans_bold_16", top="not_ready", horzAlign="Centre"),
        ]),
    }


def automatch_screen():
    tip = "AutomatchTooltip"
    opponents = ["Ironhide (won)", "Marguerite (lost)", "Sable_77 (won)", "Tomasz (lost)",
                 "Wren (won)", "Greyfield (won)"]
    return {
        "TooltipWidgets": tooltip_layer("AutomatchTooltips", tip, [0.55, 0.86], [0.4, 0.08]),
        "Widgets": widget("Group", "Automatch", Children=[
            widget("ArtLabel", "Background", style=["Frontend", "Background"]),
            widget("TextLabel", "Title", style=["Frontend", "Title"], position=[0.05, 0.04],
                   text=ref("Automatch")),
            widget("ArtLabel", "SearchPanel", position=[0.05, 0.15], size=[0.45, 0.5],
                   Presentation=art(rect("panel_fill"), rect("panel_border", border=True))),
            text_label("RaceCaption", ref("Race"), [0.07, 0.18], [0.15, 0.045], multiline=False),
            _combo("RaceChoice", "Northern Legion", [0.23, 0.18], [0.25, 0.045]),
            text_label("SizeCaption", "Game size", [0.07, 0.25], [0.15, 0.045], multiline=False),
            # Everything from the style: the label reads "Random".
            widget("ComboBox", "GameSize", style=["UIStyles", "DropDown"],
                   position=[0.23, 0.25], size=[0.25, 0.045]),
            text_label("SearchStatus", ref("Connecting..."), [0.07, 0.4], [0.41, 0.05],
                       horzAlign="Centre", multiline=False),
            widget("ProgressBar", "SearchProgress", style=["UIStyles", "LoadingBar"],
                   position=[0.07, 0.47], size=[0.41, 0.03], range=[0, 60]),
            text_label("RecentCaption", "Recent opponents", [0.55, 0.15], [0.4, 0.045],
                       top="title_gold", multiline=False),
            widget("TextListBox", "RecentOpponents", style=["UIStyles", "ListBox"],
                   position=[0.55, 0.2], size=[0.4, 0.45],
                   ItemsGroup=widget("Group", "Items", size=[0.94, 1], Children=[
                       text_label("Opponent%d" % (index + 1), text, [0.02, 0.09 * index],
                                  [0.96, 0.09], font="gillsans_11", top="body_text",
                                  multiline=False)
                       for index, text in enumerate(opponents)])),
            widget("Button", "QuickMatchButton", style=["UIStyles", "MenuButton"],
                   position=[0.05, 0.72], text=ref("Quick match"),
                   tooltip_text=ref(318), tooltip_name=tip),
            widget("Button", "CancelButton", style=["UIStyles", "MenuButton"],
                   position=[0.05, 0.8], text=ref("Cancel")),
        ]),
    }


def loading_screen():
    cards = []
    for index, (player, visible) in enumerate([("Commander Vale", True), ("Ironhide", True),
                                               ("Marguerite", True), ("", False)]):
        n = index + 1
        cards.append(widget("Group", "PlayerCard%d" % n, position=[0.05 + 0.23 * index, 0.64],
                            size=[0.21, 0.12], visible=visible, Children=[
                                widget("ArtLabel", "CardBack%d" % n, Presentation=art(
                                    rect("panel_fill"), rect("panel_border", border=True))),
                                text_label("CardName%d" % n, player, [0.05, 0.05], [0.9, 0.4],
                                           multiline=False),
                                widget("ProgressBar", "CardProgress%d" % n,
                                       style=["UIStyles", "LoadingBar"], position=[0.05, 0.6],
                                       size=[0.9, 0.2]),
                            ]))
    return {
        "Widgets": widget("Group", "Loading", Children=[
            widget("ArtLabel", "LoadingArt", Presentation=art(
                graphic("loading/bastion_keep", size=[1, 1]),
                rect([0, 0, 0, 170], position=[0, 0.62], size=[1, 0.38]))),
            widget("TextLabel", "MissionTitle", style=["UIStyles", "Title"],
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
            widget("ProgressBar", "LoadingProgress", style=["UIStyles", "LoadingBar"],
                   position=[0.2, 0.91]),
            widget("Swf", "Spinner", position=[0.9, 0.88], size=[0.06, 0.08],
                   Presentation=art(movie("loading_spinner.swf", 0.8))),
            widget("Group", "PlayerCards", Children=cards),
            text_label("ConnectionLost", ref(328), [0.2, 0.4], [0.6, 0.12], visible=False,
                       font="gillsans_bold_16", top="not_ready", horzAlign="Centre"),
        ]),
    }


def message_dialog(title, body, buttons, edit=None):
    """A small dialog: title, message, an optional input field, a row of buttons."""
    children = [
        widget("ArtLabel", "Frame", style=["UIStyles", "DialogFrame"]),
        widget("TextLabel", "Title", position=[0.06, 0.05], size=[0.88, 0.16], text=title,
               Presentation=art(label(font="gillsans_bold_16", top="title_gold",
                                      bottom="title_gold_dark", multiline=False),
                                line("separator", [0, 1], [1, 1]))),
        widget("TextLabel", "Message", style=["UIStyles", "Body"], position=[0.06, 0.25],
               size=[0.88, 0.27], text=body),
    ]
    if edit:
        children.append(widget("EditText", edit, style=["UIStyles", "EditBox"],
                               position=[0.06, 0.56], size=[0.88, 0.13]))
    width = 0.88 / len(buttons)
    for index, (name, text) in enumerate(buttons):
        children.append(widget("Button", name, style=["UIStyles", "SmallButton"],
                               position=[0.06 + width * index + 0.01, 0.76],
                               size=[width - 0.02, 0.16], text=text))
    return {
        "Widgets": widget("Group", "DialogScreen", Children=[
            widget("ArtLabel", "Dim", Presentation=art(rect("dialog_dim"))),
            widget("Group", "Dialog", position=[0.28, 0.33], size=[0.44, 0.34],
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
                    fields["style"] = ["UIStyles", "LoadingBar"]  # the bar from the style
                if serial % 29 == 0:
                    fields["visible"] = False
                cells.append(widget(kind, name, position=[0.1 * c, 0], size=[0.095, 1],
                                    Presentation=art(*items), **fields))
                serial += 1
            rows.append(widget("Group", "Row_%02d_%d" % (p, r), position=[0.02, 0.04 + 0.095 * r],
                               size=[0.96, 0.09], Children=cells))
        panels.append(widget("Group", "Panel_%02d" % p,
                             position=[0.2 * (p % 5), 0.25 * (p // 5)], size=[0.2, 0.25],
                             Presentation=art(rect("panel_fill"),
                                              rect("panel_border", border=True)),
                             Children=rows))
    return {
        "TooltipWidgets": tooltip_layer("StressTooltips", "StressTooltip", [0.3, 0.9],
                                        [0.4, 0.08]),
        "Widgets": widget("Group", "StressRoot", Children=panels),
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
    bodies = {name: "Screen = %s\n" % lua_expr(screen) for name, screen in screens.items()}
    bodies[STRESS_SCREEN] = "Screen = %s\n" % lua_expr(stress_screen(), width=200, pack=True)
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
