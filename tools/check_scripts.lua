-- Runs the sample's data scripts the way the editor runs them (no base library, nine
-- string methods, each style sheet with globals of its own) and checks what they
-- leave behind, so a broken sample fails in test_sample.py rather than in the editor.
--
--     lua5.2 check_scripts.lua KIND=PATH...
--
-- KIND is colours (the winning colour table), sheet:NAME (a winning style sheet,
-- registered as NAME), script (a shadowed copy of a sheet or colour table: it only has
-- to run) or screen. Prints "problem PATH: ..." per fault, "outside PATH: ..." per art
-- item, part or child that does not lie inside its widget, "covers FACT" for every
-- feature seen first, and "widgets PATH N" per screen.
local methods = {}
for _, name in ipairs({"byte", "char", "format", "len", "lower", "rep", "reverse", "sub", "upper"}) do
    methods[name] = string[name]
end
local string_meta = getmetatable("")

local function run(path, env)
    local file = assert(io.open(path, "rb"))
    local source = file:read("*a")
    file:close()
    local chunk, message = load(source, "@slice", "t", env)
    if not chunk then
        return nil, message
    end
    string_meta.__index = methods -- no find, gsub, match...: only what the editor opens
    local ok, failure = pcall(chunk)
    string_meta.__index = string
    if not ok then
        return nil, tostring(failure)
    end
    return env
end

local current = "?"
local function problem(text)
    print("problem " .. current .. ": " .. text)
end
local covered = {}
local function cover(fact)
    if not covered[fact] then
        covered[fact] = true
        print("covers " .. fact)
    end
end

local WIDGET_TYPES = {
    Group = {"Children"}, CustomListBoxItem = {"Children"}, Button = {}, CheckButton = {},
    RadioButton = {}, ProgressBar = {"Progress"}, ScrollBar = {"ButtonIncrement", "ButtonTrack", "ButtonDecrement"},
    ComboBox = {"ListBox", "Label", "ArrowButton"}, TextListBox = {"ItemsGroup", "ItemTemplate", "ScrollBar"},
    CustomListBox = {"ItemsGroup", "ItemTemplate", "ScrollBar"}, Custom = {}, TextLabel = {},
    EditText = {}, ArtLabel = {}, Swf = {},
}
local ITEM_TYPES = {Graphic = true, Text = true, Rectangle = true, Line = true, Swf = true}
local STATES = {Normal = true, Hover = true, Active = true, Disabled = true, Checked = true,
                CheckedHover = true, CheckedActive = true, CheckedDisabled = true}
local COLOUR_KEYS = {"colour", "textColourTop", "textColourBottom"}

local colours = {}
local sheets = {} -- lower-case sheet name -> lower-case style name -> style
local style_sheets_of = {} -- lower-case style name -> number of sheets defining it

local function is_number_array(value, low, high)
    if type(value) ~= "table" or #value < low or #value > high then
        return false
    end
    for i = 1, #value do
        if type(value[i]) ~= "number" then
            return false
        end
    end
    return true
end

local function check_colour(value, what)
    if type(value) == "string" then
        if not colours[value] then
            problem(what .. " names the unknown colour " .. value)
        end
    elseif not is_number_array(value, 3, 4) then
        problem(what .. " is no colour")
    else
        if #value == 3 then
            cover("inline colour with three components")
        end
        for i = 1, #value do
            if value[i] < 0 or value[i] > 255 then
                problem(what .. " has a component outside 0-255")
            end
        end
    end
end

local function check_item(item, where)
    if type(item) ~= "table" or not ITEM_TYPES[item.type] then
        problem(where .. ": unknown item type " .. tostring(type(item) == "table" and item.type))
        return
    end
    cover("item " .. item.type)
    if type(item.states) ~= "table" or #item.states == 0 then
        problem(where .. ": an item without states is never drawn")
    else
        for _, state in ipairs(item.states) do
            if STATES[state] then
                cover("state " .. state)
            else
                problem(where .. ": unknown state " .. tostring(state))
            end
        end
    end
    for _, key in ipairs(COLOUR_KEYS) do
        if item[key] ~= nil then
            check_colour(item[key], where .. "." .. key)
        end
    end
    if item.type == "Graphic" and (type(item.texture) ~= "string" or item.texture:sub(1, 4) ~= "art/") then
        problem(where .. ": texture path outside art/")
    end
    if item.type == "Text" and type(item.fontname) ~= "string" then
        problem(where .. ": text without a font")
    end
    -- Any other word is silently the default: in the sample it can only be a typo.
    for key, words in pairs({horzAlign = {Right = true, Centre = true},
                             vertAlign = {Top = true, Bottom = true},
                             rectangleType = {Border = true}}) do
        if item[key] ~= nil and not words[item[key]] then
            problem(where .. ": " .. key .. " " .. tostring(item[key]))
        end
    end
    if item.type == "Line" and not (is_number_array(item.p1, 2, 2) and is_number_array(item.p2, 2, 2)) then
        problem(where .. ": line without p1 and p2")
    end
end

local function check_art(presentation, where)
    if type(presentation) ~= "table" or type(presentation.Art) ~= "table" then
        problem(where .. ": Presentation without an Art array")
        return
    end
    for i, item in ipairs(presentation.Art) do
        check_item(item, where .. ".Art[" .. i .. "]")
    end
end

-- Geometry, in document units (the whole screen is the unit square): a position is an
-- offset from the parent widget's origin and nothing scales by the parent's size. A
-- widget's size is its own, else its style's, else the whole screen's; an item's is
-- its own or the whole screen's. Its art (its own, else its style's), its parts and its
-- children must lie inside it, but for deliberate overhangs: drop shadows (items in the
-- colour drop_shadow) and a drop-down's list, which opens below it.
local SLACK = 0.0006 -- the scripts hold four decimals

local function point_or(value, default)
    return is_number_array(value, 2, 2) and value or default
end

local function style_of(reference)
    if type(reference) ~= "table" or type(reference[1]) ~= "string" or type(reference[2]) ~= "string" then
        return nil
    end
    local sheet = sheets[reference[1]:lower()]
    return sheet and sheet[reference[2]:lower()]
end

local function size_of(widget, style)
    local size = point_or(widget.size, point_or(style and style.size, {1, 1}))
    return size[1], size[2]
end

local function inside(where, x0, y0, x1, y1, width, height)
    if math.min(x0, x1) < -SLACK or math.min(y0, y1) < -SLACK
            or math.max(x0, x1) > width + SLACK or math.max(y0, y1) > height + SLACK then
        print(string.format("outside %s: %s spans (%.4f, %.4f)-(%.4f, %.4f) of %.4f x %.4f",
                            current, where, x0, y0, x1, y1, width, height))
    end
end

local function check_art_inside(presentation, where, width, height)
    if type(presentation) ~= "table" or type(presentation.Art) ~= "table" then
        return
    end
    for i, item in ipairs(presentation.Art) do
        if type(item) == "table" and item.colour == "drop_shadow" then
            cover("art outside its widget on purpose")
        elseif type(item) == "table" then
            local at = point_or(item.position, {0, 0})
            local name = where .. ".Art[" .. i .. "]"
            if item.type == "Line" then
                local p1, p2 = point_or(item.p1, {0, 0}), point_or(item.p2, {0, 0})
                inside(name, at[1] + p1[1], at[2] + p1[2], at[1] + p2[1], at[2] + p2[2], width, height)
            else
                local size = point_or(item.size, {1, 1})
                inside(name, at[1], at[2], at[1] + size[1], at[2] + size[2], width, height)
            end
        end
    end
end

local function check_placement(child, where, width, height)
    if type(child) ~= "table" then
        return
    end
    local at = point_or(child.position, {0, 0})
    local w, h = size_of(child, style_of(child.style))
    inside(where .. "<" .. tostring(child.name) .. ">", at[1], at[2], at[1] + w, at[2] + h, width, height)
end

local count = 0
local tooltips = {}

local function find_style(reference, where)
    if type(reference) ~= "table" or type(reference[1]) ~= "string" or type(reference[2]) ~= "string" then
        problem(where .. ": style is not {sheet, style}")
        return nil
    end
    local sheet = sheets[reference[1]:lower()]
    local found = sheet and sheet[reference[2]:lower()]
    if not found then
        problem(where .. ": no style " .. reference[2] .. " in sheet " .. reference[1])
    elseif reference[1] ~= found.sheet_name or reference[2] ~= found.name then
        cover("style spelt in another letter case")
    end
    return found
end

local check_widget

local function check_widget_table(widget, where, style, counted)
    local kind = widget.type
    local parts = WIDGET_TYPES[kind]
    for _, key in ipairs({"position", "size", "range"}) do
        if widget[key] ~= nil and not is_number_array(widget[key], 2, 2) then
            problem(where .. ": " .. key .. " is not two numbers")
        end
    end
    for _, key in ipairs({"text", "tooltip_text", "tooltip_name", "customProperties"}) do
        if widget[key] ~= nil and type(widget[key]) ~= "string" then
            problem(where .. ": " .. key .. " is not text")
        end
    end
    if widget.Presentation ~= nil then
        check_art(widget.Presentation, where)
    end
    local width, height = size_of(widget, style)
    check_art_inside(widget.Presentation or (style and style.Presentation), where, width, height)
    if counted then
        if widget.size == nil and style and style.size ~= nil then
            cover("size from the style")
        end
        if widget.Presentation == nil and style and style.Presentation ~= nil then
            cover("Presentation from the style")
        end
        if widget.visible == false then
            cover("hidden widget")
        end
        if widget.enabled == false then
            cover("disabled widget")
        end
        if widget.tooltip_name ~= nil then
            if tooltips[widget.tooltip_name] then
                cover("tooltip_name")
            else
                problem(where .. ": tooltip_name " .. widget.tooltip_name .. " is no tooltip widget")
            end
        end
        if widget.buttonType == "ClickOnRelease" or widget.buttonType == "ClickOnPress" then
            cover("buttonType " .. widget.buttonType)
        elseif widget.buttonType ~= nil then
            problem(where .. ": buttonType " .. tostring(widget.buttonType))
        end
    end
    for _, key in ipairs(parts) do
        local part = widget[key]
        if key == "Children" then
            if part ~= nil then
                local previous, split = nil, false
                for i, child in ipairs(part) do
                    check_placement(child, where .. "." .. key .. "[" .. i .. "]", width, height)
                    check_widget(child, where .. "." .. key .. "[" .. i .. "]", counted)
                    local kind_now = type(child) == "table" and child.type
                    if kind_now == "RadioButton" and previous and previous ~= "RadioButton" and split then
                        cover("radio buttons split by another widget type")
                    end
                    if kind_now == "RadioButton" then
                        split = true
                    end
                    previous = kind_now
                end
            end
        else
            if part == nil and style then
                part = style[key]
                if part ~= nil and counted then
                    cover("part " .. key .. " from the style")
                end
            end
            if part == nil then
                problem(where .. ": no " .. key .. " in the widget or its style")
            else
                if not (kind == "ComboBox" and key == "ListBox") then
                    check_placement(part, where .. "." .. key, width, height)
                end
                check_widget(part, where .. "." .. key, counted)
            end
        end
    end
end

function check_widget(widget, where, counted)
    if type(widget) ~= "table" or WIDGET_TYPES[widget.type] == nil then
        problem(where .. ": unknown widget type " .. tostring(type(widget) == "table" and widget.type))
        return
    end
    if type(widget.name) ~= "string" then
        problem(where .. ": widget without a name")
    end
    where = where .. "<" .. tostring(widget.name) .. ">"
    local style = nil
    if widget.style ~= nil then
        style = find_style(widget.style, where)
        if style and style.type ~= widget.type .. "Style" then
            problem(where .. ": a " .. widget.type .. " with the " .. tostring(style.type) .. " " .. style.name)
        end
    end
    if counted then
        count = count + 1
        cover("widget " .. widget.type)
    end
    check_widget_table(widget, where, style, counted)
end

local function collect_names(widget, into)
    if type(widget) ~= "table" then
        return
    end
    if type(widget.name) == "string" then
        into[widget.name] = true
    end
    for _, child in ipairs(type(widget.Children) == "table" and widget.Children or {}) do
        collect_names(child, into)
    end
end

local screens = {}
for _, argument in ipairs(arg) do
    local kind, path = argument:match("^([^=]+)=(.*)$")
    current = path
    if kind == "colours" or kind == "script" then
        local env, message = run(path, {next = next})
        if not env then
            problem(message)
        elseif path:sub(-7) == ".styles" then
            if type(env.StyleSheet) ~= "table" or type(env.StyleSheet.Styles) ~= "table" then
                problem("no StyleSheet.Styles")
            end
        elseif type(env.ColourTable) ~= "table" then
            problem("no ColourTable")
        elseif kind == "colours" then
            for i, entry in ipairs(env.ColourTable) do
                if type(entry.key) ~= "string" or not is_number_array(entry.value, 3, 4) then
                    problem("ColourTable[" .. i .. "] is not {key = name, value = {r, g, b[, a]}}")
                else
                    colours[entry.key] = true
                    if #entry.value == 3 then
                        cover("named colour with three components")
                    end
                end
            end
        end
    elseif kind:sub(1, 6) == "sheet:" then
        local sheet_name = kind:sub(7)
        local env, message = run(path, {})
        if not env then
            problem(message)
        elseif type(env.StyleSheet) ~= "table" or type(env.StyleSheet.Styles) ~= "table" then
            problem("no StyleSheet.Styles")
        else
            local sheet = {}
            sheets[sheet_name:lower()] = sheet
            for i, style in ipairs(env.StyleSheet.Styles) do
                if type(style.name) ~= "string" or type(style.type) ~= "string"
                        or style.type:sub(-5) ~= "Style" then
                    problem("Styles[" .. i .. "] needs a name and a type ending in Style")
                elseif sheet[style.name:lower()] then
                    problem("style " .. style.name .. " twice in one sheet")
                else
                    style.sheet_name = sheet_name
                    sheet[style.name:lower()] = style
                    style_sheets_of[style.name:lower()] = (style_sheets_of[style.name:lower()] or 0) + 1
                    if style_sheets_of[style.name:lower()] == 2 then
                        cover("style name in two sheets")
                    end
                end
            end
        end
    elseif kind == "screen" then
        screens[#screens + 1] = path
    else
        problem("unknown argument " .. argument)
    end
end

-- Styles are checked once every sheet is known: parts name styles of other sheets.
for sheet_name, sheet in pairs(sheets) do
    for style_name, style in pairs(sheet) do
        current = "style " .. sheet_name .. "." .. style_name
        local kind = style.type:sub(1, -6)
        if WIDGET_TYPES[kind] == nil then
            problem("style for the unknown widget type " .. kind)
        else
            local copy = {}
            for key, value in pairs(style) do
                copy[key] = value
            end
            copy.type, copy.name = kind, style.name
            check_widget_table(copy, "", nil, false)
        end
    end
end

for _, path in ipairs(screens) do
    current = path
    local env, message = run(path, {})
    if not env then
        problem(message)
    elseif type(env.Screen) ~= "table" then
        problem("no Screen table")
    else
        count = 0
        tooltips = {}
        if env.Screen.TooltipWidgets ~= nil then
            collect_names(env.Screen.TooltipWidgets, tooltips)
            check_placement(env.Screen.TooltipWidgets, "TooltipWidgets", 1, 1)
            check_widget(env.Screen.TooltipWidgets, "TooltipWidgets", true)
        end
        if env.Screen.Widgets ~= nil then
            check_placement(env.Screen.Widgets, "Widgets", 1, 1)
            check_widget(env.Screen.Widgets, "Widgets", true)
        end
        print("widgets " .. path .. " " .. count)
    end
end
