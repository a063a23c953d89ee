// The page of `tessalink ui`: the handheld's files, transfers with their
// progress and Cancel, text both ways, and the settings. It uses only the
// server's HTTP interface (docs/http-api.md); the cookie that the address's
// token set goes along with every request of this origin.

const $ = (id) => document.getElementById(id);

// ---------------------------------------------------------------- requests

class RequestFailure extends Error {
  constructor(status, body) {
    super(body.error);
    this.status = status;
    this.code = body.code ?? null;
    this.hint = body.hint || '';
  }
}

// The next step for the refusals whose answer carries none.
const STATUS_WORDS = {
  401: ['this page holds no token', 'open the address that `tessalink ui` printed, with its token'],
  403: ['this page was refused', 'open the address that `tessalink ui` printed, with its token'],
  409: ['another job is running', 'wait for it to end, or press Cancel'],
  413: ['too large for the handheld', 'the handheld keeps files of up to 2 GiB - 1 bytes'],
};

async function failureOf(response) {
  let body = {};
  try {
    body = await response.json();
  } catch {
    // not JSON: the words below stand in
  }
  const [error, hint] = STATUS_WORDS[response.status] || [`the server answered ${response.status}`, ''];
  return new RequestFailure(response.status, {
    error: body.error || error,
    code: body.code,
    hint: body.hint || hint,
  });
}

// request(METHOD, PATH, {body, type}): the Response of a successful answer,
// else throws a RequestFailure with the server's words.
async function request(method, path, { body, type } = {}) {
  const headers = type ? { 'Content-Type': type } : {};
  let response;
  try {
    response = await fetch(path, { method, body, headers, credentials: 'same-origin', cache: 'no-store' });
  } catch {
    throw new RequestFailure(0, {
      error: 'tessalink ui does not answer',
      hint: 'is it still running? start it again with `tessalink ui`',
    });
  }
  if (!response.ok)
    throw await failureOf(response);
  return response;
}

const requestJson = async (method, path, options) => (await request(method, path, options)).json();

// ---------------------------------------------------------------- formatting

const byteCount = (n) => n.toLocaleString('en');

function rateText(bytesPerSecond) {
  if (bytesPerSecond < 1000)
    return `${Math.round(bytesPerSecond)} B/s`;
  if (bytesPerSecond < 1e6)
    return `${(bytesPerSecond / 1e3).toFixed(1)} kB/s`;
  return `${(bytesPerSecond / 1e6).toFixed(1)} MB/s`;
}

function durationText(seconds) {
  const s = Math.ceil(seconds);
  if (s < 60)
    return `${s} s`;
  if (s < 3600)
    return `${Math.floor(s / 60)} min ${String(s % 60).padStart(2, '0')} s`;
  return `${Math.floor(s / 3600)} h ${String(Math.floor((s % 3600) / 60)).padStart(2, '0')} min`;
}

// Text whose `quoted` parts are commands: shown as code.
function fillWithCode(element, text) {
  element.replaceChildren(...text.split('`').map((part, i) => {
    if (i % 2 === 0)
      return document.createTextNode(part);
    const code = document.createElement('code');
    code.textContent = part;
    return code;
  }));
}

function describeJob(kind, name) {
  const target = name || 'the file';
  switch (kind) {
    case 'list': return 'Reading the list of files';
    case 'get': return `Fetching ${target}`;
    case 'put': return `Sending ${target}`;
    case 'delete': return `Deleting ${target}`;
    case 'release': return 'Sending the release';
    case 'backup': return 'Fetching every file';
    case 'restore': return name ? `Sending ${name}` : 'Sending files';
    case 'text-send': return 'Sending the text';
    case 'text-recv': return 'Receiving the text';
    default: return kind ? `Running ${kind}` : 'A job';
  }
}

// ---------------------------------------------------------------- messages

function showMessage(what, next = '', failed = false) {
  const box = $('message');
  box.hidden = false;
  box.classList.toggle('failed', failed);
  fillWithCode($('message-what'), what);
  fillWithCode($('message-next'), next ? `Next step: ${next}` : '');
  $('message-next').hidden = !next;
}

function showFailure(action, failure) {
  showMessage(`${action} failed: ${failure.message}`, failure.hint, true);
}

// Whether the events arrive: a link call that failed (502) is then told by
// the job panel, from the job's result, and not a second time here.
let eventsOpen = false;

// run(ACTION, WORK): runs an action of the page; a failure is said in the
// server's words with its next step. Returns WORK's value, or undefined.
async function run(action, work) {
  try {
    return await work();
  } catch (failure) {
    if (!(failure instanceof RequestFailure))
      throw failure;
    if (failure.status === 502 && eventsOpen)
      $('message').hidden = true;
    else
      showFailure(action, failure);
    return undefined;
  }
}

// ---------------------------------------------------------------- settings

let settings = {};

function showSettings(next, problem) {
  settings = next;
  const device = settings.device || 'no device';
  $('where').textContent = `mode ${settings.mode || '2'} on ${device}`;
  for (const field of $('settings').querySelectorAll('[data-key]'))
    field.value = settings[field.dataset.key] ?? '';
  const mode2 = (settings.mode || '2') === '2';
  $('variant-2').disabled = !mode2;
  if (!mode2 && $('variant-2').checked)
    document.querySelector('input[name="variant"][value="1"]').checked = true;
  if (problem !== undefined) {
    $('problem').hidden = !problem;
    fillWithCode($('problem'), problem);
  }
}

async function saveSettings(event) {
  event.preventDefault();
  // Only what was changed here: the rest stays where it came from (the
  // command line, the environment or the file).
  const changes = {};
  for (const field of $('settings').querySelectorAll('[data-key]')) {
    const value = field.value.trim();
    if (value !== (settings[field.dataset.key] ?? ''))
      changes[field.dataset.key] = value;
  }
  $('settings-outcome').textContent = '';
  if (Object.keys(changes).length === 0) {
    $('settings-outcome').textContent = 'Nothing changed.';
    return;
  }
  const saved = await run('Saving the settings', () =>
    requestJson('PUT', '/api/settings', { body: JSON.stringify(changes), type: 'application/json' }));
  if (!saved)
    return;
  showSettings(saved);
  $('settings-outcome').textContent = 'Saved.';
  const status = await run('Reading the status', () => requestJson('GET', '/api/status'));
  if (status)
    showSettings(status.settings, status.problem);
}

// ---------------------------------------------------------------- the job

// The job on show: its id, and the recent progress samples that give the
// rate. A list runs often and briefly: it takes the panel only once the
// handheld keeps it waiting, so that the last transfer's outcome stays in
// view; until then its id is kept as quiet.
const job = { id: null, samples: [], quiet: null, expected: 0, bytes: 0, total: 0, rate: 0 };

// The sizes the last list gave: a fetch's progress has no total of its own.
const listedSizes = new Map();
const RATE_WINDOW_MS = 5000;

const takesPanel = (running) => running.kind !== 'list' || Boolean(running.waiting);

function startJobPanel(id, kind, name) {
  job.id = id;
  job.quiet = null;
  job.samples = [];
  Object.assign(job, { bytes: 0, total: 0, rate: 0 });
  job.expected = (kind === 'get' && listedSizes.get(name)) || 0;
  $('job').hidden = false;
  $('job').dataset.kind = kind || '';
  $('job').classList.remove('failed', 'done');
  $('job-title').textContent = describeJob(kind, name);
  $('job-figures').textContent = '';
  $('job-outcome').hidden = true;
  $('job-outcome').textContent = '';
  $('job-failure').hidden = true;
  $('job-waiting').hidden = true;
  $('cancel').hidden = false;
  $('job-foot').hidden = false;
  $('job-bar').removeAttribute('value');
}

function showJobBytes(bytes, given) {
  const total = given || (bytes <= job.expected ? job.expected : 0);
  const now = performance.now();
  job.samples.push({ at: now, bytes });
  while (job.samples.length > 2 && now - job.samples[0].at > RATE_WINDOW_MS)
    job.samples.shift();
  const bar = $('job-bar');
  if (total > 0) {
    bar.max = total;
    bar.value = Math.min(bytes, total);
  } else {
    bar.removeAttribute('value');
  }
  const first = job.samples[0];
  const seconds = (now - first.at) / 1000;
  Object.assign(job, { bytes, total, rate: seconds >= 0.5 && bytes > first.bytes ? (bytes - first.bytes) / seconds : 0 });
  showFigures(false);
}

// Bytes, rate and, while the job runs, the time left.
function showFigures(ended) {
  const { bytes, total, rate } = job;
  const parts = [];
  if (bytes > 0 || total > 0)
    parts.push(total > 0 ? `${byteCount(bytes)} of ${byteCount(total)} bytes` : `${byteCount(bytes)} bytes`);
  if (parts.length && rate > 0)
    parts.push(rateText(rate));
  if (parts.length && rate > 0 && total > bytes && !ended)
    parts.push(`${durationText((total - bytes) / rate)} left`);
  $('job-figures').textContent = parts.join(' · ');
  $('job-foot').hidden = parts.length === 0 && $('cancel').hidden;
}

function showState({ busy, job: running }) {
  const pill = $('busy');
  pill.dataset.state = busy ? 'busy' : 'idle';
  if (busy && running) {
    const doing = describeJob(running.kind, running.name);
    pill.textContent = `busy: ${doing[0].toLowerCase()}${doing.slice(1)}`;
  } else {
    pill.textContent = 'idle';
  }
  if (!running)
    return;
  if (running.id !== job.id) {
    if (!takesPanel(running)) {
      job.quiet = running.id;
      return;
    }
    startJobPanel(running.id, running.kind, running.name);
    showJobBytes(running.bytes, running.total);
  }
  $('job-waiting').hidden = !running.waiting;
  $('job-waiting').textContent = running.waiting || '';
}

function showProgress({ job: id, bytes, total }) {
  if (id === job.quiet)
    return;
  if (id !== job.id)
    startJobPanel(id, '', '');
  showJobBytes(bytes, total);
}

// The end of a job: done, or its failure in the tool's words with the next
// step. A quiet list shows only a failure.
function showResult({ job: id, kind, code, message, hint }) {
  const failed = code !== 0;
  if (id === job.quiet && !failed) {
    job.quiet = null;
    return;
  }
  if (id !== job.id)
    startJobPanel(id, kind, '');
  $('cancel').hidden = true;
  $('job-waiting').hidden = true;
  showFigures(true);
  $('job').classList.toggle('failed', failed);
  $('job').classList.toggle('done', !failed);
  const bar = $('job-bar');
  if (!bar.hasAttribute('value')) {
    bar.max = 1;
    bar.value = failed ? 0 : 1;
  }
  const outcome = $('job-outcome');
  outcome.hidden = false;
  outcome.textContent = !failed ? 'done' : /cancelled/.test(message) ? 'cancelled' : 'failed';
  $('job-failure').hidden = !failed;
  fillWithCode($('job-problem'), failed ? message : '');
  fillWithCode($('job-next'), failed && hint ? `Next step: ${hint}` : '');
}

async function cancelJob() {
  const answer = await run('Cancel', () => requestJson('POST', '/api/cancel'));
  if (answer && !answer.cancelled)
    showMessage('No job was running.');
}

// The events of every job, whoever started it. EventSource connects again by
// itself after a break; it gives up only when refused (no token any more).
function listenToEvents() {
  const events = new EventSource('/api/events');
  const read = (handler) => (event) => handler(JSON.parse(event.data));
  events.addEventListener('state', read(showState));
  events.addEventListener('progress', read(showProgress));
  events.addEventListener('result', read(showResult));
  events.addEventListener('open', () => {
    eventsOpen = true;
    $('busy').classList.remove('lost');
  });
  events.addEventListener('error', () => {
    eventsOpen = false;
    $('busy').classList.add('lost');
    $('busy').textContent = 'no answer from tessalink ui';
    if (events.readyState === EventSource.CLOSED)
      showMessage('The page lost its connection to tessalink ui.',
        'start `tessalink ui` again and open the address it prints', true);
  });
}

// ---------------------------------------------------------------- files

function fileRow({ name, size }) {
  const row = document.createElement('tr');
  row.dataset.name = name;
  const nameCell = document.createElement('td');
  nameCell.className = 'name';
  nameCell.textContent = name;
  const sizeCell = document.createElement('td');
  sizeCell.className = 'size';
  sizeCell.textContent = size === null ? '—' : byteCount(size);
  const actions = document.createElement('td');
  actions.className = 'actions';
  actions.append(actionButton('Download', name, () => downloadFile(name)),
    actionButton('Delete', name, () => deleteFile(name), 'danger'));
  row.append(nameCell, sizeCell, actions);
  return row;
}

function actionButton(label, name, action, className = '') {
  const button = document.createElement('button');
  button.type = 'button';
  button.textContent = label;
  button.className = className;
  button.setAttribute('aria-label', `${label} ${name}`);
  button.addEventListener('click', action);
  return button;
}

let shownFiles = [];

const byName = (a, b) => (a.name < b.name ? -1 : a.name > b.name ? 1 : 0);

function showFiles(files) {
  shownFiles = [...files].sort(byName);
  listedSizes.clear();
  for (const { name, size } of files)
    if (size !== null)
      listedSizes.set(name, size);
  $('files-body').replaceChildren(...shownFiles.map(fileRow));
  const known = files.filter((f) => f.size !== null);
  const total = known.reduce((sum, f) => sum + f.size, 0);
  $('files-caption').textContent = files.length === 0 ? 'The handheld holds no files.'
    : `${files.length} ${files.length === 1 ? 'file' : 'files'}, ${byteCount(total)} bytes`;
}

// Puts what the page did to the handheld's files into the list on show,
// without another conversation with the handheld: SIZES maps each name sent
// to its size, or to undefined for a file deleted.
function amendList(sizes) {
  const kept = shownFiles.filter((file) => !sizes.has(file.name));
  const changed = [...sizes].filter(([, size]) => size !== undefined).map(([name, size]) => ({ name, size }));
  showFiles([...kept, ...changed]);
}

async function refreshList() {
  const files = await run('Reading the list', () => requestJson('GET', '/api/files'));
  if (files)
    showFiles(files);
  return files;
}

const fileUrl = (name) => `/api/files/${encodeURIComponent(name)}`;

// Hands bytes that have fully arrived to the browser as a download.
function saveBlob(blob, name) {
  const url = URL.createObjectURL(blob);
  const link = document.createElement('a');
  link.href = url;
  link.download = name;
  link.hidden = true;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}

// The file name of an attachment: filename*=UTF-8''percent-encoded, or filename="plain".
function attachmentName(response, fallback) {
  const header = response.headers.get('Content-Disposition') || '';
  const encoded = /filename\*=UTF-8''([^;\s]+)/i.exec(header);
  if (encoded) {
    try {
      return decodeURIComponent(encoded[1]);
    } catch {
      return fallback;
    }
  }
  const plain = /filename="([^"]+)"/.exec(header);
  return plain ? plain[1] : fallback;
}

async function downloadFile(name) {
  await run(`Fetching ${name}`, async () => {
    const response = await request('GET', fileUrl(name));
    saveBlob(await response.blob(), name);
    showMessage(`Fetched ${name}.`);
  });
}

async function downloadAll() {
  await run('Fetching every file', async () => {
    const response = await request('GET', '/api/backup.zip');
    const blob = await response.blob();
    saveBlob(blob, attachmentName(response, 'tessalink-backup.zip'));
    showMessage(`Fetched every file into one .zip (${byteCount(blob.size)} bytes).`);
  });
}

function confirmDelete(name) {
  const dialog = $('confirm');
  $('confirm-text').textContent = `Delete ${name} from the handheld? This cannot be undone.`;
  dialog.returnValue = '';
  return new Promise((resolve) => {
    dialog.addEventListener('close', () => resolve(dialog.returnValue === 'delete'), { once: true });
    dialog.showModal();
  });
}

async function deleteFile(name) {
  if (!(await confirmDelete(name)))
    return;
  const done = await run(`Deleting ${name}`, () => requestJson('DELETE', fileUrl(name)));
  if (done) {
    amendList(new Map([[name, undefined]]));
    showMessage(`Deleted ${name}.`);
  }
}

function sendQuery() {
  const variant = document.querySelector('input[name="variant"]:checked').value;
  const release = $('release-after').checked ? '1' : '0';
  return `variant=${variant}&release=${release}`;
}

// Sends files as they are: one by put, several over one connection.
async function sendFiles(files) {
  if (files.length === 0)
    return;
  if (files.length === 1) {
    const [file] = files;
    const sent = await run(`Sending ${file.name}`, () =>
      requestJson('PUT', `${fileUrl(file.name)}?${sendQuery()}`, { body: file, type: 'application/octet-stream' }));
    if (sent) {
      amendList(new Map([[sent.name, sent.size]]));
      showMessage(`Sent ${sent.name} (${byteCount(sent.size)} bytes).`);
    }
    return;
  }
  const form = new FormData();
  for (const file of files)
    form.append('file', file, file.name);
  await restoreFrom(form, undefined, `Sending ${files.length} files`, new Map(files.map((f) => [f.name, f.size])));
}

// Sends files over one connection; SIZES, when known, puts them into the
// list, else the list is read again (the files of a .zip).
async function restoreFrom(body, type, action, sizes = null) {
  const answer = await run(action, () => requestJson('POST', `/api/restore?${sendQuery()}`, { body, type }));
  if (!answer)
    return;
  if (sizes)
    amendList(new Map(answer.sent.map((name) => [name, sizes.get(name) ?? null])));
  showMessage(`Sent ${answer.sent.length} ${answer.sent.length === 1 ? 'file' : 'files'}: ${answer.sent.join(', ')}.`);
  if (!sizes)
    await refreshList();
}

const isZip = (file) => file.type === 'application/zip' || /\.zip$/i.test(file.name);

// Restores a .zip made by "Download all", or sends the files chosen.
async function restore(files) {
  if (files.length === 1 && isZip(files[0]))
    await restoreFrom(files[0], 'application/zip', `Restoring ${files[0].name}`);
  else
    await sendFiles(files);
}

function pickFiles(input, then) {
  input.value = '';
  input.onchange = () => then([...input.files]);
  input.click();
}

function acceptDrops() {
  const zone = $('drop-zone');
  const carriesFiles = (event) => [...event.dataTransfer.types].includes('Files');
  // A file dropped beside the zone must not replace the page.
  for (const type of ['dragover', 'drop'])
    document.addEventListener(type, (event) => event.preventDefault());
  zone.addEventListener('dragover', (event) => {
    if (!carriesFiles(event))
      return;
    event.dataTransfer.dropEffect = 'copy';
    zone.classList.add('dragging');
  });
  zone.addEventListener('dragleave', (event) => {
    if (!zone.contains(event.relatedTarget))
      zone.classList.remove('dragging');
  });
  zone.addEventListener('drop', (event) => {
    zone.classList.remove('dragging');
    sendFiles([...event.dataTransfer.files]);
  });
}

// ---------------------------------------------------------------- text

// The handheld's lines end in CR LF; a text field's in LF.
const handheldLines = (text) => text.replace(/\r?\n/g, '\r\n');

async function sendText() {
  const text = $('text-out').value;
  const done = await run('Sending the text', () =>
    requestJson('POST', '/api/text', { body: handheldLines(text), type: 'text/plain; charset=utf-8' }));
  if (done)
    showMessage('Sent the text.');
}

async function receiveText() {
  await run('Receiving the text', async () => {
    const response = await request('GET', '/api/text');
    const text = new TextDecoder('shift_jis').decode(await response.arrayBuffer());
    $('text-in').value = text;
    showMessage(`Received a text of ${text.length} characters.`);
  });
}

// ---------------------------------------------------------------- start

function wire() {
  const on = (id, action) => $(id).addEventListener('click', action);
  on('refresh', refreshList);
  on('upload', () => pickFiles($('upload-input'), sendFiles));
  on('restore', () => pickFiles($('restore-input'), restore));
  on('backup', downloadAll);
  on('release', async () => {
    if (await run('Sending the release', () => requestJson('POST', '/api/release')))
      showMessage('Sent the release.');
  });
  on('cancel', cancelJob);
  on('text-send', sendText);
  on('text-recv', receiveText);
  on('confirm-keep', () => $('confirm').close('keep'));
  on('confirm-delete', () => $('confirm').close('delete'));
  $('settings').addEventListener('submit', saveSettings);
  acceptDrops();
}

async function start() {
  wire();
  listenToEvents();
  const status = await run('Reading the status', () => requestJson('GET', '/api/status'));
  if (!status)
    return;
  showSettings(status.settings, status.problem);
  if (status.busy)
    showState(status);
  else if (!status.problem)
    await refreshList();
  else
    $('files-caption').textContent = 'Not read yet: the settings need a look first (below).';
}

start();
