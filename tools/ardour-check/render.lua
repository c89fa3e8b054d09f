-- A VST 3 instrument played by headless Ardour, run by render-vst3.sh as
--   ardour7-lua render.lua WORKDIR PLUGIN_NAME RATE TOTAL_SAMPLES NOTES
-- NOTES is the list "key,start_s,dur_s,vel;..." written by rendercheck.py.
-- Progress is printed as "RENDER-STEP: ...", the outcome as "RENDER-OK: ..."
-- or "RENDER-FAIL: ...", the rendered files as "RENDER-FILE: path", and
-- "RENDER-CLOSED" once the session is gone, so that the script can tell
-- where a crash happened.

local workdir, plugin_name = arg[1], arg[2]
local rate, total = tonumber (arg[3]), tonumber (arg[4])
local notes_list = arg[5] or ""

local function fail (why)
	print ("RENDER-FAIL: " .. why)
	error ("render failed: " .. why, 0)
end

local function step (what)
	print ("RENDER-STEP: " .. what)
end

-- Every Ardour object stays local to this function and is collected while
-- the session still exists: ardour7-lua deletes the session before the Lua
-- state, which would otherwise still hold tracks and regions.
local function render ()
	if not (workdir and plugin_name and rate and total) then
		fail ("usage: render.lua WORKDIR PLUGIN_NAME RATE TOTAL_SAMPLES NOTES")
	end

	step ("creating session")
	if not create_session (workdir .. "/session", "render", rate) then
		fail ("cannot create session")
	end

	-- The index is built from the scanner's cache when the engine starts;
	-- asking before that crashes ardour7-lua.
	step ("looking up plug-in")
	local pinfo = nil
	for p in ARDOUR.LuaAPI.list_plugins ():iter () do
		if p.type == ARDOUR.PluginType.VST3 and p.name == plugin_name then
			pinfo = p
		end
	end
	if not pinfo then
		fail ("Ardour did not index '" .. plugin_name .. "' as a VST3 plug-in")
	end
	print ("RENDER-INFO: plugin name='" .. pinfo.name .. "' id=" .. pinfo.unique_id
		.. " path=" .. pinfo.path .. " instrument=" .. tostring (pinfo:is_instrument ()))

	-- A MIDI track first, the instrument inserted after the engine has run
	-- a few cycles: new_midi_track with the instrument races Ardour's
	-- auto-connect thread ("Port already exists").
	step ("adding MIDI track")
	local tl = Session:new_midi_track (
		ARDOUR.ChanCount (ARDOUR.DataType ("midi"), 1),
		ARDOUR.ChanCount (ARDOUR.DataType ("audio"), 2),
		true, ARDOUR.PluginInfo (), nil, nil, 1, "vst3",
		ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, false, false)
	local track = nil
	for t in tl:iter () do track = t end
	if not track then fail ("cannot add MIDI track") end

	ARDOUR.LuaAPI.wait_for_process_callback (4, 2000)
	ARDOUR.LuaAPI.usleep (200000)
	step ("adding instrument")
	local proc = ARDOUR.LuaAPI.new_plugin (Session, pinfo.unique_id, ARDOUR.PluginType.VST3, "")
	if proc:isnil () then fail ("host could not instantiate the plug-in") end
	if track:add_processor_by_index (proc, 0, nil, true) ~= 0 then
		fail ("host could not instantiate the plug-in on the track (I/O configuration refused)")
	end
	proc = track:nth_plugin (0)
	if proc:isnil () then fail ("host could not instantiate the plug-in on the track") end
	print ("RENDER-INFO: instrument on track: " .. proc:display_name ())

	-- The session API cannot make a MIDI region: a MIDI-only bounce of the
	-- empty track makes one, and the notes go into its model.
	step ("writing notes")
	local region = track:bounce_range (0, total, ARDOUR.InterThreadInfo (),
		ARDOUR.LuaAPI.nil_proc (), false, "notes")
	if region:isnil () then fail ("cannot create MIDI region") end
	track:playlist ():add_region (region, Temporal.timepos_t (0), 1, false)
	local mr = region:to_midiregion ()
	if mr:isnil () then fail ("bounce did not produce a MIDI region") end

	local tm = Temporal.TempoMap.read ()
	local model = mr:midi_source (0):model ()
	local cmd = model:new_note_diff_command ("render notes")
	local count = 0
	for key, st, du, vel in string.gmatch (notes_list, "(%d+),([%d.]+),([%d.]+),(%d+)") do
		local a = tm:quarters_at (Temporal.timepos_t (math.floor (tonumber (st) * rate + 0.5)))
		local b = tm:quarters_at (Temporal.timepos_t (math.floor ((tonumber (st) + tonumber (du)) * rate + 0.5)))
		-- the channel is 0-based: 0 is MIDI channel 1
		cmd:add (ARDOUR.LuaAPI.new_noteptr (0, a, b - a, tonumber (key), tonumber (vel)))
		count = count + 1
	end
	if count == 0 then fail ("no notes to write") end
	model:apply_command (Session, cmd)
	local want = ARDOUR.LuaAPI.note_list (model):size ()
	print ("RENDER-INFO: notes written: " .. count .. " (region holds " .. want .. ")")

	-- The butler thread rebuilds the playlist's MIDI cache shortly after the
	-- edit; a bounce before that renders silence. Wait until a MIDI-only
	-- bounce sees every note.
	step ("waiting for Ardour's MIDI cache")
	local seen = -1
	for i = 1, 200 do
		ARDOUR.LuaAPI.usleep (25000)
		local probe = track:bounce_range (0, total, ARDOUR.InterThreadInfo (),
			ARDOUR.LuaAPI.nil_proc (), false, "probe")
		if not probe:isnil () then
			seen = ARDOUR.LuaAPI.note_list (probe:to_midiregion ():model ()):size ()
		end
		if seen >= want then break end
	end
	if seen < want then
		fail ("the track's MIDI cache never showed the notes (" .. seen .. " of " .. want .. ")")
	end

	-- Ardour's offline bounce of the track up to its main outs: the
	-- instrument's own output, one 32-bit float WAV per channel. (A session
	-- export corrupts ardour7-lua's heap in about a third of the runs.)
	step ("rendering (bounce)")
	local cfg = Session:cfg ()
	cfg.native_file_header_format = ARDOUR.HeaderFormat.WAVE
	cfg.native_file_data_format = ARDOUR.SampleFormat.Float
	local ar = track:bounce_range (0, total, ARDOUR.InterThreadInfo (),
		track:main_outs (), false, "render")
	if ar:isnil () or ar:to_audioregion ():isnil () then fail ("bounce produced no audio") end
	for i = 0, ar:to_audioregion ():n_channels () - 1 do
		print ("RENDER-FILE: " .. ar:source (i):to_filesource ():path ())
	end
	print ("RENDER-OK: rendered")
end

local ok, err = pcall (render)
collectgarbage ()
collectgarbage ()
step ("closing session")
close_session ()
print ("RENDER-CLOSED")
if not ok then error (err, 0) end
